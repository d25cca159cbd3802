#pragma once
// The device information pane: for every device that reported progress a header line (six
// spaces and "[" + name + "]") with a state picture beside it, and a status line below.
#include <functional>
#include <string>
#include <vector>

namespace nimbra {

class DevicePanel {
public:
    struct Entry {
        std::string realName;
        std::string status;
        // "DEVONLINE", "DEVOFFLINE", "UCPONLINE", "UCPOFFLINE" or empty before the first drawing.
        std::string picture;
    };
    static std::string HeaderLine(const std::string& realName);

    void Clear();
    Entry* Find(const std::string& realName);
    // The device's entry, appended with an empty status line when it has none.
    Entry& FindOrAppend(const std::string& realName);
    const std::vector<Entry>& Entries() const { return entries_; }
    // The panel as text: header and status line of every entry.
    std::vector<std::string> Lines() const;
    // Called after every change.
    std::function<void()> onChange;
    void Changed() const;

private:
    std::vector<Entry> entries_;
};

}  // namespace nimbra
