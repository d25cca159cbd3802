#pragma once

// Where the programs keep their settings: the key paths and value names that more than one
// program (or more than one window) must agree on. Values are strings; check boxes are
// stored as "1" / "0".

namespace nimbra::settings {

// Key path prefix of every program's own section: kPluginsKey + section name.
inline constexpr const char* kPluginsKey =
    "HKEY_LOCAL_MACHINE\\Software\\Nimbra\\Dovetail\\CurrentVersion\\Plugins\\";

// Root of the system's settings; "Caption" (main window title suffix) and "autostart".
inline constexpr const char* kRootKey = "\\Software\\Nimbra\\Dovetail";
inline constexpr const char* kCaptionValue = "Caption";
inline constexpr const char* kCaptionDefault = "SERVER";
inline constexpr const char* kAutostartValue = "autostart";

// User-interface language. The engine uses the local-machine tree; the handset driver and the
// message wall read the same key path under the current-user tree.
inline constexpr const char* kLanguageKey =
    "\\Software\\Nimbra\\Dovetail\\CurrentVersion\\Settings";
inline constexpr const char* kLanguageKeyCurrentUser =
    "HKEY_CURRENT_USER\\Software\\Nimbra\\Dovetail\\CurrentVersion\\Settings";
inline constexpr const char* kLanguageValue = "Language";
inline constexpr const char* kLanguageDefault = "English";

// How the engine runs ("Application") and its window handle as decimal text.
inline constexpr const char* kServicePidKey = "\\Software\\Nimbra\\DovetailServicePid";
inline constexpr const char* kAppModeValue = "appmode";
inline constexpr const char* kAppModeApplication = "Application";
inline constexpr const char* kPidValue = "pid";

// Sections of the engine's own settings.
inline constexpr const char* kServerSection = "Server";
inline constexpr const char* kComposerSection = "Composer";
inline constexpr const char* kUnicodeSection = "Unicode";

// Housekeeping of the message store, in the "Server" section: delete stored messages older
// than this many days (0 keeps them), and move incoming messages to a folder per day.
inline constexpr const char* kOlderValue = "eOlder";
inline constexpr const char* kOlderDefault = "0";
inline constexpr const char* kDailyLogValue = "cbDailyLog";

// Message list sorting, in the "Server" section.
inline constexpr const char* kSortColValue = "SortCol";
inline constexpr const char* kSortColDefault = "3";
inline constexpr const char* kSortDirectionValue = "SortDirection";
inline constexpr const char* kSortAscending = "Ascending";
inline constexpr const char* kSortDescending = "Descending";

// Composer options: the "Composer" section holds "tbOperator", the "Unicode" section
// "tbUnicode2".
inline constexpr const char* kComposerOperatorValue = "tbOperator";
inline constexpr const char* kComposerUnicodeValue = "tbUnicode2";

// The handset's own number in its section; the message wall reads it too.
inline constexpr const char* kPhoneNumberValue = "ePhoneNumber";

// The message wall's settings live under the current-user tree: kWallKey + section.
inline constexpr const char* kWallKey =
    "HKEY_CURRENT_USER\\Software\\Nimbra\\Dovetail\\CurrentVersion\\";

}  // namespace nimbra::settings
