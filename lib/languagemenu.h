#pragma once

// Choosing the user-interface language: the Language menu built from "Languages.txt" and
// the switch to another language, which takes full effect after a restart.

#include <functional>
#include <string>

class QMenu;

namespace nimbra {

class LanguageFiles;
enum class SettingsRoot;

// What a program does around a change of language. Each hook may be left empty.
struct LanguageHooks {
    // Translate the main window ("MainForm") and then every other window, and publish the
    // main window's handle again.
    std::function<void()> translateWindows;
    // Raise info(text) on every live client and every live device.
    std::function<void(const std::string& text)> tellClientsAndDevices;
    // Shut the program down: clients and devices get ServerShutdown and it ends.
    std::function<void()> closeProgram;
};

// Reads the stored language into files (default "English"). The engine reads the
// local-machine tree, the handset driver and the message wall the current-user tree.
void LoadLanguageSetting(LanguageFiles& files, SettingsRoot root);

// Stores and applies a new language, tells clients and devices "setlanguage(<name>)", shows
// the restart message and closes the program.
void SetLanguage(const std::string& name, const LanguageHooks& hooks, LanguageFiles& files);

// Adds one command per line of "Languages.txt" to menu, named "langName<line number>" and
// captioned with the line; choosing one calls SetLanguage. When the file cannot be read,
// shows "Languages file not found", leaves the menu empty and returns false.
bool BuildLanguageMenu(QMenu* menu, const LanguageHooks& hooks, LanguageFiles& files);

}  // namespace nimbra
