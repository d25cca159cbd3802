#include "unModeration.h"

#include <algorithm>
#include <cstdlib>

#include "codepage.h"
#include "unStrings.h"

namespace nimbra {

const std::vector<std::u16string>& TModeration::Entries(List list) const {
    return list == List::Inbox ? inbox_ : display_;
}

std::vector<std::u16string>& TModeration::Of(List list) {
    return list == List::Inbox ? inbox_ : display_;
}

void TModeration::Insert(List list, std::u16string entry) {
    Of(list).push_back(std::move(entry));
    if (onInserted)
        onInserted(list, Of(list).size() - 1);
}

void TModeration::Erase(List list, std::size_t position) {
    Of(list).erase(Of(list).begin() + static_cast<std::ptrdiff_t>(position));
    if (onRemoved)
        onRemoved(list, position);
}

void TModeration::Add(const TBillboardItem& item) {
    Insert(List::Inbox, EntryText(item));
}

void TModeration::Remove(List list, std::vector<std::size_t> positions) {
    // From the bottom up, so that the positions still to go keep their meaning.
    std::sort(positions.begin(), positions.end(), std::greater<>());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (std::size_t position : positions) {
        if (position < Of(list).size())
            Erase(list, position);
    }
}

bool TModeration::MoveDueEntries(long long now, std::u16string_view inboxTime) {
    const long long wait = SecondsOrDefault(inboxTime, kDefaultInboxSeconds);
    for (std::size_t i = 0; i < inbox_.size();) {
        const std::optional<TBillboardItem> item = ReadEntry(inbox_[i]);
        if (item && std::llabs(now - item->time) > wait) {
            std::u16string entry = std::move(inbox_[i]);
            Erase(List::Inbox, i);
            Insert(List::Display, std::move(entry));
        } else {
            ++i;
        }
    }
    return !display_.empty();
}

std::optional<TBillboardItem> TModeration::TakeForWall(long long now,
                                                       std::u16string_view displayTime,
                                                       std::u16string_view wallText) {
    const long long interval = SecondsOrDefault(displayTime, kDefaultDisplaySeconds);
    const bool free =
        wallText.empty() || (wallText != kWallUnreadable && wallText != lastShownText_);
    if (!free || std::llabs(now - lastShownTime_) <= interval)
        return std::nullopt;
    for (std::size_t i = 0; i < display_.size(); ++i) {
        std::optional<TBillboardItem> item = ReadEntry(display_[i]);
        if (!item)
            continue;
        lastShownTime_ = now;
        Erase(List::Display, i);
        lastShownText_ = item->text;
        return item;
    }
    return std::nullopt;
}

int SecondsOrDefault(std::u16string_view text, int fallback) {
    int seconds = 0;
    return ParseInt32(TrimBlanks(WideToAnsi(text)), seconds) ? seconds : fallback;
}

}  // namespace nimbra
