#pragma once

// The settings store shared by all programs: string values under key paths, kept in two INI
// files (one per root) in the settings folder. Every call opens the store afresh, so a value
// another process wrote is seen at once, and two processes writing at the same time lose
// nothing. Values are code-page text (Windows-1252 bytes), like every text of the system.
// Names and key levels match whatever their case, as in the registry; a value typed into a
// file by hand reads as typed (the rules are in settingsfile.h).
//
// A store file that cannot be read, or that is damaged, is reported once per process through
// the process notifier; reads then give the defaults (or the values that could still be
// read) and writes leave the damaged file as it is.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nimbra {

// The folder of the two store files: $NIMBRA_SETTINGS_DIR, else $XDG_CONFIG_HOME/nimbra,
// else ~/.config/nimbra.
std::string SettingsFolder();

// The value under a key path, or def when the value is missing or empty.
std::string ReadSetting(std::string_view keyPath, std::string_view name, std::string_view def);
void WriteSetting(std::string_view keyPath, std::string_view name, std::string_view value);

// A value of a program's own section (see PluginKeyPath); def when missing or not a string.
std::string ReadPluginSetting(std::string_view section, std::string_view name,
                              std::string_view def);
void WritePluginSetting(std::string_view section, std::string_view name, std::string_view value);

// (value name, value) pairs.
using SettingValues = std::vector<std::pair<std::string, std::string>>;
// Several values of one section in one write of the store.
void WritePluginSettings(std::string_view section, const SettingValues& values);

// The message wall's own reader: the key below the current-user settings version key.
std::string ReadWallSetting(std::string_view section, std::string_view name, std::string_view def);

}  // namespace nimbra
