#pragma once

// The moderation of the message wall: every entry waits in the inbox list for the inbox time,
// during which the operator may delete it, then moves on its own to the display list, from
// which the wall takes one entry at a time, at least the display interval apart and only once
// the page has cleared or replaced the previous message. The lists hold the entries' text
// forms (unBillboardItem.h); the clock and the wall's current text come from the caller.
//
// One moderation step, once a second:
//
//     if (moderation.MoveDueEntries(now, inboxTimeText))         // steps 1-3
//         ... ask the wall for its text, then ...
//         if (auto item = moderation.TakeForWall(now, displayTimeText, wallText))
//             put item->sender and item->text on the wall;

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "unBillboardItem.h"

namespace nimbra {

// What the wall answers when its page cannot be read (not loaded, no "scroller" form).
inline constexpr std::u16string_view kWallUnreadable = u"__nb__exception";

inline constexpr int kDefaultInboxSeconds = 8;
inline constexpr int kDefaultDisplaySeconds = 3;

class TModeration {
public:
    enum class List { Inbox, Display };

    // The entries of a list, top first.
    const std::vector<std::u16string>& Entries(List list) const;

    void Add(const TBillboardItem& item);
    // Removes the entries at these positions (any order, duplicates allowed).
    void Remove(List list, std::vector<std::size_t> positions);

    // Moves every readable inbox entry older than the inbox time (seconds as typed; not a
    // number reads as 8) to the end of the display list, keeping their order; unreadable
    // entries stay where they are. Returns whether the display list holds an entry, that is
    // whether the wall's text is needed.
    bool MoveDueEntries(long long now, std::u16string_view inboxTime);

    // The first readable display entry when the wall is free (its text is empty, or neither
    // unreadable nor the last message put on it) and more than the display interval (seconds
    // as typed; not a number reads as 3) has passed since the last message; it leaves the list
    // and becomes the last message. Unreadable entries on the way are left in place.
    std::optional<TBillboardItem> TakeForWall(long long now, std::u16string_view displayTime,
                                              std::u16string_view wallText);

    long long LastShownTime() const { return lastShownTime_; }
    const std::u16string& LastShownText() const { return lastShownText_; }

    // The lists' changes as they happen, for a view that mirrors them.
    std::function<void(List, std::size_t position)> onInserted;
    std::function<void(List, std::size_t position)> onRemoved;

private:
    std::vector<std::u16string>& Of(List list);
    void Insert(List list, std::u16string entry);
    void Erase(List list, std::size_t position);

    std::vector<std::u16string> inbox_;
    std::vector<std::u16string> display_;
    long long lastShownTime_ = 0;
    std::u16string lastShownText_;
};

// Whole seconds as typed into a time field (blanks around allowed), or fallback when the
// text is not a number.
int SecondsOrDefault(std::u16string_view text, int fallback);

}  // namespace nimbra
