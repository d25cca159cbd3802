#include "keypath.h"

#include "settingskeys.h"

namespace nimbra {
namespace {

constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";
constexpr std::string_view kCurrentUser = "HKEY_CURRENT_USER";

// "\a\\b\" -> "a/b": every backslash is a level, empty levels vanish.
std::string ToGroups(std::string_view path) {
    std::string groups;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start) {
            if (!groups.empty())
                groups += '/';
            groups.append(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return groups;
}

}  // namespace

std::optional<ResolvedKey> ResolveKeyPath(std::string_view keyPath) {
    ResolvedKey key;
    std::string_view below = keyPath;
    if (const auto at = keyPath.find(kCurrentUser); at != std::string_view::npos) {
        key.root = SettingsRoot::CurrentUser;
        below = keyPath.substr(at + kCurrentUser.size());
    } else if (const auto lm = keyPath.find(kLocalMachine); lm != std::string_view::npos) {
        below = keyPath.substr(lm + kLocalMachine.size());
    } else if (keyPath.find("HKEY_") != std::string_view::npos) {
        return std::nullopt;
    }
    key.groups = ToGroups(below);
    return key;
}

std::string PluginKeyPath(std::string_view section) {
    if (section.find("HKEY_") != std::string_view::npos)
        return std::string(section);
    return std::string(settings::kPluginsKey).append(section);
}

const char* RootFileName(SettingsRoot root) {
    return root == SettingsRoot::CurrentUser ? "HKEY_CURRENT_USER.ini" : "HKEY_LOCAL_MACHINE.ini";
}

}  // namespace nimbra
