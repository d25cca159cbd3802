#include "radiofields.h"

#include <algorithm>

namespace nimbra::driver {

namespace {

bool SameGroup(const PrefField& a, const PrefField& b) {
    return a.kind == PrefField::Kind::Radio && b.kind == PrefField::Kind::Radio && a.tab == b.tab &&
           a.group == b.group;
}

}  // namespace

void SettleRadioGroups(const std::vector<PrefField>& fields, LinkFields& values) {
    for (auto first = fields.begin(); first != fields.end(); ++first) {
        const auto inGroup = [&](const PrefField& field) { return SameGroup(field, *first); };
        // Each group once, from its first button.
        if (first->kind != PrefField::Kind::Radio || std::any_of(fields.begin(), first, inGroup)) {
            continue;
        }
        const PrefField* chosen = nullptr;
        for (auto it = first; it != fields.end(); ++it) {
            if (inGroup(*it) && it->value == "1") {
                chosen = &*it;
            }
        }
        for (auto it = first; it != fields.end(); ++it) {
            if (inGroup(*it) && values.Get(it->name) == "1") {
                chosen = &*it;
            }
        }
        if (!chosen) {
            continue;
        }
        for (auto it = first; it != fields.end(); ++it) {
            if (inGroup(*it)) {
                values.Set(it->name, &*it == chosen ? "1" : "0");
            }
        }
    }
}

}  // namespace nimbra::driver
