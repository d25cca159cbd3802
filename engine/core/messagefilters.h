#pragma once
// The incoming and the outgoing message filter: at most one library each, chosen by file name
// in "InFilters" / "OutFilters". The incoming filter gets and returns whole record texts, the
// outgoing one only the message text.
#include <functional>
#include <memory>
#include <string>

#include "enginehost.h"

namespace nimbra {

class MessageFilter {
public:
    struct Texts {
        const char* folder;      // "InFilters" or "OutFilters"
        const char* loaded;      // "Input message filter loaded: "
        const char* cannotLoad;  // "Cannot load input message filter: "
        const char* checking;    // "Checking input filter: "
    };
    static const Texts kIncoming;
    static const Texts kOutgoing;

    // homePrefix: prefix of the filter folder ("" in the engine's home).
    MessageFilter(const Texts& texts, std::string homePrefix, EngineHost& host,
                  std::function<void(const std::string&)> logToScreen);
    ~MessageFilter();
    MessageFilter(const MessageFilter&) = delete;
    MessageFilter& operator=(const MessageFilter&) = delete;

    // Frees and unloads the current library, then loads and initialises the chosen one.
    void Load(const std::string& chosenName);
    // Frees and unloads the library.
    void Unload();
    bool IsActive() const;
    // The text through the filter; unchanged without an active filter. A null result
    // counts as empty.
    std::string Apply(const std::string& text) const;
    // Opens the library's own configuration, when it has one.
    void Configure() const;
    // The filter file names (at least five characters) of a folder, in directory order.
    static std::vector<std::string> ListFilters(const std::string& folder);

private:
    const Texts& texts_;
    std::string home_;
    EngineHost& host_;
    std::function<void(const std::string&)> log_;
    std::string chosen_;
    std::unique_ptr<FilterLibrary> library_;
    FilterEntries entries_;
};

}  // namespace nimbra
