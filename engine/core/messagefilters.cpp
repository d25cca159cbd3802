#include "messagefilters.h"

#include <filesystem>
#include <utility>

#include "serveroptions.h"

namespace nimbra {

namespace fs = std::filesystem;

const MessageFilter::Texts MessageFilter::kIncoming{
    "InFilters", "Input message filter loaded: ", "Cannot load input message filter: ",
    "Checking input filter: "};
const MessageFilter::Texts MessageFilter::kOutgoing{
    "OutFilters", "Output message filter loaded: ", "Cannot load output message filter: ",
    "Checking output message filter: "};

MessageFilter::MessageFilter(const Texts& texts, std::string homePrefix, EngineHost& host,
                             std::function<void(const std::string&)> logToScreen)
    : texts_(texts), home_(std::move(homePrefix)), host_(host), log_(std::move(logToScreen)) {}

MessageFilter::~MessageFilter() {
    Unload();
}

void MessageFilter::Unload() {
    if (library_ && entries_.filterFree)
        entries_.filterFree();
    entries_ = {};
    library_.reset();
}

void MessageFilter::Load(const std::string& chosenName) {
    Unload();
    chosen_ = chosenName;
    const std::string path = home_ + texts_.folder + "/" + chosenName;
    std::error_code ec;
    if (chosenName == kNoFilterInstalled || !IsPlainFileName(chosenName) ||
        !fs::is_regular_file(path, ec)) {
        log_(texts_.checking + chosenName);
        return;
    }
    std::string error;
    library_ = host_.LoadFilterLibrary(path, error);
    if (!library_) {
        log_(texts_.cannotLoad + path);
        return;
    }
    entries_ = library_->Entries();
    log_(texts_.loaded + path);
    if (entries_.filterInit)
        entries_.filterInit();
}

bool MessageFilter::IsActive() const {
    return chosen_ != kNoFilterInstalled && entries_.filterMessage != nullptr;
}

std::string MessageFilter::Apply(const std::string& text) const {
    if (!IsActive())
        return text;
    const char* result = entries_.filterMessage(text.c_str());
    std::string copy = result ? result : "";
    if (entries_.freeFilterMessage)
        entries_.freeFilterMessage(result);
    return copy;
}

void MessageFilter::Configure() const {
    if (entries_.ShowConfigForm)
        entries_.ShowConfigForm();
}

std::vector<std::string> MessageFilter::ListFilters(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() >= 5 && name.ends_with(".so"))
            names.push_back(name);
    }
    return names;
}

}  // namespace nimbra
