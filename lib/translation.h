#pragma once

// User-interface languages. Every caption and message text is looked up in plain-text files
// below the home folder: "Languages/<language>/translation.txt" for message texts (one
// "key=text" line each) and "Languages/<language>/<window name>.txt" for window captions.
// The files fill themselves: a text that is not found is written into its file as shown,
// so running the program once in a new language leaves complete files to translate.

#include <filesystem>
#include <mutex>
#include <string>
#include <unordered_map>

namespace nimbra {

class LanguageFiles {
public:
    explicit LanguageFiles(std::filesystem::path home = ".", std::string language = "English");

    const std::filesystem::path& Home() const { return home_; }
    void SetHome(std::filesystem::path home);
    std::string Language() const;
    // Switches language; the message table is read again on the next lookup.
    void SetLanguage(std::string language);

    std::filesystem::path LanguagesFolder() const;  // <home>/Languages
    std::filesystem::path LanguageFolder() const;   // <home>/Languages/<language>
    std::filesystem::path MessageFile() const;      // .../translation.txt
    std::filesystem::path WindowFile(const std::string& windowName) const;
    std::filesystem::path LanguageListFile() const;  // <home>/Languages.txt

    // The text of key in the current language, or key itself; an unknown key is added to
    // the message file as "key=key". A key with a line break or "=" cannot be written as
    // a line that reads back as the same key, so it stays in memory only.
    std::string Translate(const std::string& key);
    // Forgets the message table; the next lookup reads the message file again.
    void Reset();
    // Creates the languages folder and the current language's folder. On failure tells the
    // operator (through the process notifier) and returns false.
    bool EnsureFolders();

private:
    // With mutex_ held.
    void LoadTable();
    std::filesystem::path LanguageFolderLocked() const;

    mutable std::mutex mutex_;
    std::filesystem::path home_;
    std::string language_;
    bool loaded_ = false;
    std::unordered_map<std::string, std::string> table_;
};

// The process's language files: home "." (the engine runs in its home) and the language
// the program sets at start-up.
LanguageFiles& ProcessLanguage();
// ProcessLanguage().Translate(key).
std::string Translate(const std::string& key);

// "key=text" split at the first "="; every further "=" is dropped. False for a line
// without "=".
bool SplitTranslationLine(std::string_view line, std::string& key, std::string& text);

}  // namespace nimbra
