#pragma once

// One address-book contact: five text cells, in the column order of the contacts file.

#include <array>
#include <cstddef>
#include <string>

namespace nimbra {

enum ContactColumn : std::size_t {
    kMarkColumn,  // "true" when the contact is checked, else empty
    kNameColumn,
    kPhoneColumn,
    kNoteColumn,
    kGroupColumn,
    kContactColumns
};

using Contact = std::array<std::string, kContactColumns>;

inline constexpr const char* kCheckedMark = "true";

Contact MakeContact(std::string name, std::string phone, std::string note, std::string group,
                    bool checked = false);
bool IsChecked(const Contact& contact);
void SetChecked(Contact& contact, bool checked);

// The name with "(" turned into "[" and ")" into "]": the entry form below must hold one
// parenthesised part only, the number, or the number read from it takes in the name's digits.
std::string NameWithoutParentheses(std::string name);

// name + " (" + phone + ")": the form an address field takes a contact in.
std::string EntryForm(const Contact& contact);
// The entry form for a contact with a name, the bare phone cell for one without.
std::string EntryOrNumber(const Contact& contact);

}  // namespace nimbra
