#include "temp_dir.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace nimbra::testing_support {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nimbra_test_XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests may leave folders without write permission behind.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

ScopedSettingsDir::ScopedSettingsDir() {
    if (const char* previous = std::getenv("NIMBRA_SETTINGS_DIR")) {
        previous_ = previous;
        hadPrevious_ = true;
    }
    ::setenv("NIMBRA_SETTINGS_DIR", dir_.path().c_str(), 1);
}

ScopedSettingsDir::~ScopedSettingsDir() {
    if (hadPrevious_)
        ::setenv("NIMBRA_SETTINGS_DIR", previous_.c_str(), 1);
    else
        ::unsetenv("NIMBRA_SETTINGS_DIR");
}

}  // namespace nimbra::testing_support
