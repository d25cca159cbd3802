#include "qfilterlibrary.h"

#include <QFile>
#include <QFileInfo>

namespace nimbra {
namespace {

// Looks up one exported function; null when the library does not export it.
template <typename Function>
void Resolve(QLibrary& library, const char* name, Function& entry) {
    entry = reinterpret_cast<Function>(library.resolve(name));
}

}  // namespace

std::unique_ptr<QFilterLibrary> QFilterLibrary::Load(const std::string& path, std::string& error) {
    std::unique_ptr<QFilterLibrary> filter(new QFilterLibrary);
    // An absolute name keeps the loader from searching the system's library folders, and
    // resolving every symbol at load turns a library with missing dependencies into a load
    // error instead of a crash at its first call.
    filter->library_.setFileName(QFileInfo(QFile::decodeName(path.c_str())).absoluteFilePath());
    filter->library_.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!filter->library_.load()) {
        error = filter->library_.errorString().toStdString();
        return nullptr;
    }
    FilterEntries& entries = filter->entries_;
    Resolve(filter->library_, "filterInit", entries.filterInit);
    Resolve(filter->library_, "filterMessage", entries.filterMessage);
    Resolve(filter->library_, "freeFilterMessage", entries.freeFilterMessage);
    Resolve(filter->library_, "ShowConfigForm", entries.ShowConfigForm);
    Resolve(filter->library_, "filterFree", entries.filterFree);
    return filter;
}

QFilterLibrary::~QFilterLibrary() {
    if (library_.isLoaded())
        library_.unload();
}

}  // namespace nimbra
