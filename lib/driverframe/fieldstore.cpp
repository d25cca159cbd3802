#include "fieldstore.h"

#include <utility>

namespace nimbra::driver {

void FieldStore::OnChange(std::function<void(std::string, std::string)> changed) {
    std::lock_guard lock(mutex_);
    changed_ = std::move(changed);
}

std::string FieldStore::Get(std::string_view name) const {
    std::lock_guard lock(mutex_);
    auto it = values_.find(name);
    return it == values_.end() ? std::string() : it->second;
}

void FieldStore::Set(std::string_view name, std::string_view value) {
    std::function<void(std::string, std::string)> changed;
    {
        std::lock_guard lock(mutex_);
        auto it = values_.find(name);
        if (it != values_.end() && it->second == value) {
            return;
        }
        values_[std::string(name)] = std::string(value);
        changed = changed_;
    }
    if (changed) {
        changed(std::string(name), std::string(value));
    }
}

}  // namespace nimbra::driver
