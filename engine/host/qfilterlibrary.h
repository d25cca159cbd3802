#pragma once
// A message filter library (".so" in InFilters/ or OutFilters/) loaded with QLibrary. The five
// entry points are looked up once at load; a library may leave out any of them. Destroying the
// object unloads the library, so no entry point may be called afterwards.

#include <memory>
#include <string>

#include <QLibrary>

#include "enginehost.h"

namespace nimbra {

class QFilterLibrary final : public FilterLibrary {
public:
    // The library at path (relative paths start at the current folder), or null with error
    // set to the loader's explanation.
    static std::unique_ptr<QFilterLibrary> Load(const std::string& path, std::string& error);

    ~QFilterLibrary() override;
    QFilterLibrary(const QFilterLibrary&) = delete;
    QFilterLibrary& operator=(const QFilterLibrary&) = delete;

    FilterEntries Entries() const override { return entries_; }

private:
    QFilterLibrary() = default;

    QLibrary library_;
    FilterEntries entries_;
};

}  // namespace nimbra
