#pragma once

// The address book's two files. The contacts file holds one row per line, the title row
// first, cells separated by ";" and quoted when they hold ";", "," or a double quote. The
// groups file holds one node per line in pre-order, indented by one tab per level below
// the root. Both end their lines in CR LF.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contact.h"
#include "grouptree.h"

namespace nimbra {

inline constexpr const char* kContactsFileName = "Addressbook.csv";
inline constexpr const char* kGroupsFileName = "Groups";
// Deeper lines of a groups file join the level above: keeps hostile files from nesting
// without end.
inline constexpr std::size_t kMaxGroupDepth = 64;

Contact ContactsTitleRow();

// One cell as the file stores it: line breaks become spaces, and a cell holding ";", ","
// or a double quote goes inside double quotes with its double quotes doubled.
std::string FileCell(std::string_view cell);
// The title row, then every contact.
std::string ContactsFileText(const std::vector<Contact>& contacts);

// Splits one line into cells. A double quote toggles quoted mode, and one that turns it on
// right after another double quote also stands for a double quote in the cell; outside
// quoted mode "," and ";" end a cell. Cells beyond the fifth are dropped.
Contact ParseContactLine(std::string_view line);
// Every line after the first (the title row) that is not empty.
std::vector<Contact> ParseContactsText(std::string_view text);

std::string GroupsFileText(const GroupNode& root);
// The first line is the root (picture checked), the others its descendants, each line's
// leading tabs giving its depth (unchecked picture). Empty lines are skipped; nullopt when
// no line is left.
std::optional<GroupNode> ParseGroupsText(std::string_view text);

// Reading appends the file's contacts; false when the file cannot be read.
bool ReadContactsFile(const std::string& path, std::vector<Contact>& contacts);
bool WriteContactsFile(const std::string& path, const std::vector<Contact>& contacts);

// Messages for the operator.
std::string CannotReadMessage(const std::string& path);
std::string CannotWriteMessage(const std::string& path);

}  // namespace nimbra
