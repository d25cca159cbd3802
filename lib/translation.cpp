#include "translation.h"

#include <cstdio>
#include <system_error>

#include "atomicfile.h"
#include "notifier.h"
#include "unStrings.h"

namespace nimbra {

namespace {

constexpr const char* kMessageFileName = "translation.txt";

// Appends one CR LF line, starting a new line first when the file does not end with one
// (as a file edited by hand may not).
bool AppendLine(const std::string& file, const std::string& line) {
    std::FILE* out = std::fopen(file.c_str(), "a+b");
    if (!out)
        return false;
    std::string text = line + "\r\n";
    if (std::fseek(out, -1, SEEK_END) == 0) {
        const int last = std::fgetc(out);
        if (last != '\n' && last != '\r')
            text.insert(0, "\r\n");
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

bool SplitTranslationLine(std::string_view line, std::string& key, std::string& text) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    key.assign(line.substr(0, eq));
    text.clear();
    for (const char c : line.substr(eq + 1))
        if (c != '=')
            text.push_back(c);
    return true;
}

LanguageFiles::LanguageFiles(std::filesystem::path home, std::string language)
    : home_(std::move(home)), language_(std::move(language)) {}

void LanguageFiles::SetHome(std::filesystem::path home) {
    const std::lock_guard lock(mutex_);
    home_ = std::move(home);
    loaded_ = false;
    table_.clear();
}

std::string LanguageFiles::Language() const {
    const std::lock_guard lock(mutex_);
    return language_;
}

void LanguageFiles::SetLanguage(std::string language) {
    const std::lock_guard lock(mutex_);
    language_ = std::move(language);
    loaded_ = false;
    table_.clear();
}

std::filesystem::path LanguageFiles::LanguagesFolder() const {
    const std::lock_guard lock(mutex_);
    return home_ / "Languages";
}

std::filesystem::path LanguageFiles::LanguageFolder() const {
    const std::lock_guard lock(mutex_);
    return LanguageFolderLocked();
}

std::filesystem::path LanguageFiles::LanguageFolderLocked() const {
    return home_ / "Languages" / language_;
}

std::filesystem::path LanguageFiles::MessageFile() const {
    return LanguageFolder() / kMessageFileName;
}

std::filesystem::path LanguageFiles::WindowFile(const std::string& windowName) const {
    return LanguageFolder() / (windowName + ".txt");
}

std::filesystem::path LanguageFiles::LanguageListFile() const {
    return home_ / "Languages.txt";
}

void LanguageFiles::Reset() {
    const std::lock_guard lock(mutex_);
    loaded_ = false;
    table_.clear();
}

void LanguageFiles::LoadTable() {
    loaded_ = true;
    std::string text;
    if (!ReadWholeFile((LanguageFolderLocked() / kMessageFileName).string(), text))
        return;
    std::string key;
    std::string value;
    for (const std::string_view line : TextLines(text)) {
        // The first line with a key wins.
        if (SplitTranslationLine(line, key, value))
            table_.try_emplace(key, value);
    }
}

std::string LanguageFiles::Translate(const std::string& key) {
    std::string file;
    {
        const std::lock_guard lock(mutex_);
        if (!loaded_)
            LoadTable();
        if (const auto found = table_.find(key); found != table_.end())
            return found->second;
        table_.emplace(key, key);
        if (key.find_first_of("\r\n=") != std::string::npos)
            return key;
        const std::filesystem::path folder = LanguageFolderLocked();
        // A program without windows looks texts up before any window made the folder.
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        file = (folder / kMessageFileName).string();
        if (AppendLine(file, key + "=" + key))
            return key;
    }
    // Told outside the lock: a notifier may translate its own captions.
    ProcessNotifier().ShowMessage("Cannot open language file: " + file);
    return key;
}

bool LanguageFiles::EnsureFolders() {
    const std::filesystem::path folders[] = {LanguagesFolder(), LanguageFolder()};
    for (const std::filesystem::path& folder : folders) {
        std::error_code ec;
        std::filesystem::create_directory(folder, ec);
        // Another program may have made it a moment ago; only a folder that is not there
        // in the end is a failure.
        if (!std::filesystem::is_directory(folder, ec)) {
            ProcessNotifier().ShowMessage(Translate("Cannot create directory: ") + folder.string());
            return false;
        }
    }
    return true;
}

LanguageFiles& ProcessLanguage() {
    static LanguageFiles files;
    return files;
}

std::string Translate(const std::string& key) {
    return ProcessLanguage().Translate(key);
}

}  // namespace nimbra
