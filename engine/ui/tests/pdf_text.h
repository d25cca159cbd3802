#pragma once
// What a test needs to know of a PDF file the windows printed: whether it is one, and the
// text its pages draw, read back through the fonts' ToUnicode maps.
#include <string>

namespace nimbra::testing_support {

// Whether bytes look like a whole PDF file: the header, at least one page and the end mark.
bool LooksLikePdf(const std::string& bytes);
// The text drawn by the file's show-text operators, in the order drawn, the strings of
// glyph numbers mapped back to characters (UTF-8). Empty when nothing could be read.
std::string PdfText(const std::string& bytes);

}  // namespace nimbra::testing_support
