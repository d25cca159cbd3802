#pragma once

// Key paths of the settings store: an optional root name ("HKEY_LOCAL_MACHINE" or
// "HKEY_CURRENT_USER") and a backslash-separated path below it. A path without a root
// name lies under HKEY_LOCAL_MACHINE.

#include <optional>
#include <string>
#include <string_view>

namespace nimbra {

enum class SettingsRoot { LocalMachine, CurrentUser };

struct ResolvedKey {
    SettingsRoot root = SettingsRoot::LocalMachine;
    // The path below the root with "/" between levels and no slash at either end
    // ("Software/Nimbra/Dovetail"); empty for the root itself.
    std::string groups;

    bool operator==(const ResolvedKey&) const = default;
};

// nullopt for a path that names a root other than the two (such a key cannot be opened:
// reads give their default, writes are dropped).
std::optional<ResolvedKey> ResolveKeyPath(std::string_view keyPath);

// The key path of a program's settings section: the plugins prefix + section, or the
// section itself when it already names a root ("HKEY_CURRENT_USER\...").
std::string PluginKeyPath(std::string_view section);

// The file name of a root's store ("HKEY_LOCAL_MACHINE.ini").
const char* RootFileName(SettingsRoot root);

}  // namespace nimbra
