#include "contact.h"

#include <algorithm>
#include <utility>

namespace nimbra {

Contact MakeContact(std::string name, std::string phone, std::string note, std::string group,
                    bool checked) {
    return {checked ? kCheckedMark : "", std::move(name), std::move(phone), std::move(note),
            std::move(group)};
}

bool IsChecked(const Contact& contact) {
    return contact[kMarkColumn] == kCheckedMark;
}

void SetChecked(Contact& contact, bool checked) {
    contact[kMarkColumn] = checked ? kCheckedMark : "";
}

std::string NameWithoutParentheses(std::string name) {
    std::replace(name.begin(), name.end(), '(', '[');
    std::replace(name.begin(), name.end(), ')', ']');
    return name;
}

std::string EntryForm(const Contact& contact) {
    return contact[kNameColumn] + " (" + contact[kPhoneColumn] + ")";
}

std::string EntryOrNumber(const Contact& contact) {
    return contact[kNameColumn].empty() ? contact[kPhoneColumn] : EntryForm(contact);
}

}  // namespace nimbra
