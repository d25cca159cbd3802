#include "userhome.h"

#include <array>
#include <stdexcept>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace nimbra {
namespace fs = std::filesystem;

namespace {

// What the home links to in the program folder.
constexpr std::array kLinked = {"Devices", "Plugins", "transmit", "nbsms"};
// What the home gets a copy of, to change as it likes.
constexpr std::array kCopied = {"Languages.txt", "Notify.wav", "Billboard", "Help",
                                "Languages/English"};

[[noreturn]] void Fail(const std::string& what, const fs::path& path,
                       const std::error_code& error) {
    throw std::runtime_error("cannot " + what + " " + path.string() + ": " + error.message());
}

bool Exists(const fs::path& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path, ignored));
}

void Link(const fs::path& home, const fs::path& programDir, const std::string& name) {
    const fs::path target = programDir / name;
    const fs::path link = home / name;
    if (!Exists(target) || Exists(link))
        return;
    std::error_code error;
    if (fs::is_directory(target, error))
        fs::create_directory_symlink(target, link, error);
    else
        fs::create_symlink(target, link, error);
    if (error)
        Fail("link", link, error);
}

// Copies into a temporary name first and renames, so that a start that is cut short never
// leaves half a data file that a later start would keep.
void Copy(const fs::path& home, const fs::path& dataDir, const std::string& name) {
    const fs::path source = dataDir / name;
    const fs::path destination = home / name;
    if (Exists(destination))
        return;
    std::error_code error;
    fs::create_directories(destination.parent_path(), error);
    if (error)
        Fail("make", destination.parent_path(), error);
    if (!Exists(source)) {
        // The language folder fills itself on first use; it only has to be there.
        if (name.find('/') != std::string::npos)
            fs::create_directories(destination, error);
        if (error)
            Fail("make", destination, error);
        return;
    }
    const fs::path partial = destination.parent_path() / (destination.filename().string() + ".new");
    fs::remove_all(partial, error);
    fs::copy(source, partial, fs::copy_options::recursive, error);
    if (!error)
        fs::rename(partial, destination, error);
    if (error) {
        std::error_code ignored;
        fs::remove_all(partial, ignored);
        Fail("copy to", destination, error);
    }
}

}  // namespace

bool FolderWritable(const fs::path& dir) {
    struct stat info {};
    if (::stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    return ::access(dir.c_str(), W_OK) == 0;
}

fs::path UserDataHome(const char* xdgDataHome, const char* home) {
    if (xdgDataHome && *xdgDataHome && fs::path(xdgDataHome).is_absolute())
        return fs::path(xdgDataHome) / "nimbra";
    if (home && *home)
        return fs::path(home) / ".local" / "share" / "nimbra";
    return {};
}

fs::path InstalledDataDir(const fs::path& programDir) {
    const fs::path shared = programDir.parent_path().parent_path() / "share" / "nimbra";
    std::error_code ignored;
    if (programDir.parent_path().filename() == "lib" && fs::is_directory(shared, ignored))
        return shared;
    return programDir;
}

void PrepareUserHome(const fs::path& home, const fs::path& programDir, const fs::path& dataDir) {
    std::error_code error;
    fs::create_directories(home, error);
    if (error)
        Fail("make the engine home", home, error);
    for (const char* name : kLinked)
        Link(home, programDir, name);
    for (const char* name : kCopied)
        Copy(home, dataDir, name);
}

}  // namespace nimbra
