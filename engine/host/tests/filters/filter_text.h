#pragma once
// What the test filters share: handing a result text to the engine (which gives it back
// through freeFilterMessage), and finding a field in the text form of a message record. The
// filters stand alone, without the project's libraries, as filters from elsewhere would.

#include <cstddef>
#include <cstring>
#include <string>

namespace nimbra::test_filters {

inline const char* NewFilterText(const std::string& text) {
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

inline void DeleteFilterText(const char* text) {
    delete[] text;
}

// Field numbers in a record's text form.
inline constexpr int kSenderField = 2;
inline constexpr int kTextField = 4;

// The bounds [begin, end) of field `index` in a record's text form: "{type}{operator}
// {sender}{receiver}{text}..." with "\" escaping "{", "}" and "\" inside a field. False when
// the text is no record or has no such field.
inline bool FindRecordField(const std::string& record, int index, std::size_t& begin,
                            std::size_t& end) {
    std::size_t pos = 0;
    for (int field = 0;; ++field) {
        if (pos >= record.size() || record[pos] != '{')
            return false;
        std::size_t i = pos + 1;
        while (i < record.size() && record[i] != '}')
            i += record[i] == '\\' ? 2 : 1;
        if (i >= record.size())
            return false;
        if (field == index) {
            begin = pos + 1;
            end = i;
            return true;
        }
        pos = i + 1;
    }
}

}  // namespace nimbra::test_filters
