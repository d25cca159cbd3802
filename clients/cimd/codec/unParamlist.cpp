#include "unParamlist.h"

#include <utility>

namespace nimbra::cimd {

namespace {

bool InRange(int i) {
    return i >= 0 && i < kParamListSize;
}

// The last index find() looks at.
constexpr int kLastSearchedEntry = kParamListSize - 2;

}  // namespace

void TParamList::put(int i, std::string text) {
    if (InRange(i))
        entries_[static_cast<std::size_t>(i)] = std::move(text);
}

const std::string& TParamList::get(int i) const {
    static const std::string empty;
    return InRange(i) ? entries_[static_cast<std::size_t>(i)] : empty;
}

std::string TParamList::name(int i) const {
    const std::string& entry = get(i);
    const std::size_t colon = entry.find(':');
    return colon == std::string::npos ? std::string() : entry.substr(0, colon);
}

std::string TParamList::value(int i) const {
    const std::string& entry = get(i);
    const std::size_t colon = entry.find(':');
    return colon == std::string::npos ? std::string() : entry.substr(colon + 1);
}

int TParamList::find(std::string_view wanted) const {
    for (int i = 0; i <= kLastSearchedEntry && !get(i).empty(); ++i) {
        if (name(i) == wanted)
            return i;
    }
    return -1;
}

std::string TParamList::valueOf(std::string_view wanted) const {
    const int i = find(wanted);
    return i < 0 ? std::string() : value(i);
}

int TParamList::count() const {
    for (int i = kParamListSize - 1; i >= 0; --i) {
        if (!get(i).empty())
            return i + 1;
    }
    return 0;
}

void TParamList::clear() {
    for (std::string& entry : entries_)
        entry.clear();
}

}  // namespace nimbra::cimd
