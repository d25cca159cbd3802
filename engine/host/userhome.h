#pragma once
// Where an engine keeps its data when it is installed: a program folder the user may write
// to is the home itself (the build tree, an unpacked bundle); an installed program in a folder
// the user cannot write to gets a home of the user's own, made on first start from the
// installed programs and data files.

#include <filesystem>
#include <string>

namespace nimbra {

// Whether the engine may keep its data in dir: the user may write to it and its mode grants
// writing to someone (a folder made read-only counts as read-only for root as well).
bool FolderWritable(const std::filesystem::path& dir);

// $XDG_DATA_HOME/nimbra, else $HOME/.local/share/nimbra (either may be null or empty; an
// XDG_DATA_HOME that is not an absolute path is ignored, as the XDG rules say). Empty when
// neither is known.
std::filesystem::path UserDataHome(const char* xdgDataHome, const char* home);

// The folder of the data files that come with the programs in programDir: the share/nimbra
// of the prefix (programDir is <prefix>/lib/nimbra) when there is one, else programDir itself.
std::filesystem::path InstalledDataDir(const std::filesystem::path& programDir);

// Makes home, or completes it: Devices/ and Plugins/ (and the programs transmit and nbsms)
// become links to those in programDir; Languages.txt, Languages/English/, Billboard/, Help/
// and Notify.wav are copied from dataDir. Whatever the home holds already stays as it is, so
// the user's changes and messages survive every start. Throws std::runtime_error naming what
// could not be made.
void PrepareUserHome(const std::filesystem::path& home, const std::filesystem::path& programDir,
                     const std::filesystem::path& dataDir);

}  // namespace nimbra
