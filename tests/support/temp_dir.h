#pragma once

#include <filesystem>
#include <string>

namespace nimbra::testing_support {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Points the settings store at a temporary folder for its lifetime, so that tests never
// touch the user's settings.
class ScopedSettingsDir {
public:
    ScopedSettingsDir();
    ~ScopedSettingsDir();
    ScopedSettingsDir(const ScopedSettingsDir&) = delete;
    ScopedSettingsDir& operator=(const ScopedSettingsDir&) = delete;

    const std::filesystem::path& path() const { return dir_.path(); }

private:
    TempDir dir_;
    std::string previous_;
    bool hadPrevious_ = false;
};

}  // namespace nimbra::testing_support
