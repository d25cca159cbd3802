#pragma once
// Commands that devices and plugins add to a menu of the engine, each tagged with the tag of
// the object that added it; choosing one raises a click on that object. A menu may also hold
// separator lines (the Plugins menu: one before each client's first command); they belong to
// nobody as far as removal, enabling and clicking go, and stay until the menu ends.
#include <functional>
#include <string>
#include <vector>

namespace nimbra {

class ServerMenu {
public:
    struct Item {
        std::string caption;
        int tag;
        bool enabled = true;
        // A separator line: caption "-", tag of the object it was added for, never clicked.
        bool separator = false;
    };
    void Register(const std::string& caption, int tag);
    // Appends a separator line added for the object of tag.
    void AddSeparator(int tag);
    // Removes the items of tag with this caption, walking by position: after a removal the
    // walk goes on at the next position.
    void Unregister(const std::string& caption, int tag);
    void SetEnabled(const std::string& caption, int tag, bool enabled);
    // Removes every command of tag (separators stay).
    void RemoveTag(int tag);
    const std::vector<Item>& Items() const { return items_; }
    std::function<void()> onChange;

private:
    void Changed() const;
    std::vector<Item> items_;
};

}  // namespace nimbra
