#include "servermenu.h"

#include <algorithm>

namespace nimbra {

void ServerMenu::Register(const std::string& caption, int tag) {
    items_.push_back({caption, tag, true});
    Changed();
}

void ServerMenu::AddSeparator(int tag) {
    items_.push_back({"-", tag, true, true});
    Changed();
}

void ServerMenu::Unregister(const std::string& caption, int tag) {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (!items_[i].separator && items_[i].tag == tag && items_[i].caption == caption)
            items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    Changed();
}

void ServerMenu::SetEnabled(const std::string& caption, int tag, bool enabled) {
    for (Item& item : items_) {
        if (!item.separator && item.tag == tag && item.caption == caption)
            item.enabled = enabled;
    }
    Changed();
}

void ServerMenu::RemoveTag(int tag) {
    std::erase_if(items_, [tag](const Item& item) { return !item.separator && item.tag == tag; });
    Changed();
}

void ServerMenu::Changed() const {
    if (onChange)
        onChange();
}

}  // namespace nimbra
