#pragma once
// Commands that devices and plugins add to a menu of the engine, each tagged with the tag of
// the object that added it; choosing one raises a click on that object.
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
    };
    void Register(const std::string& caption, int tag);
    // Removes the items of tag with this caption, walking by position: after a removal the
    // walk goes on at the next position.
    void Unregister(const std::string& caption, int tag);
    void SetEnabled(const std::string& caption, int tag, bool enabled);
    // Removes every item of tag.
    void RemoveTag(int tag);
    const std::vector<Item>& Items() const { return items_; }
    std::function<void()> onChange;

private:
    void Changed() const;
    std::vector<Item> items_;
};

}  // namespace nimbra
