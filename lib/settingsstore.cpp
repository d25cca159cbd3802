#include "settingsstore.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStringList>

#include "keypath.h"
#include "notifier.h"
#include "qansi.h"
#include "settingskeys.h"

namespace nimbra {
namespace {

QString StorePath(SettingsRoot root) {
    return QString::fromLocal8Bit(SettingsFolder()) + '/' + QLatin1String(RootFileName(root));
}

// Each trouble with a store file is told once per process, not at every read. The message
// is shown after the lock is let go: a message box runs an event loop in which other
// settings may be read.
void ReportOnce(const std::string& text) {
    static std::mutex mutex;
    static std::set<std::string> told;
    {
        const std::lock_guard lock(mutex);
        if (!told.insert(text).second)
            return;
    }
    ProcessNotifier().ShowMessage(text);
}

// Size and modification time of a file, which tell whether it changed.
struct FileSignature {
    long long size = -1;
    long long seconds = 0;
    long long nanoseconds = 0;
    bool operator==(const FileSignature&) const = default;
};

FileSignature SignatureOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {static_cast<long long>(info.st_size), static_cast<long long>(info.st_mtim.tv_sec),
            static_cast<long long>(info.st_mtim.tv_nsec)};
}

// Files found damaged, as they were then. The store parses a file once per process and
// reports the damage only to that first reader, so a later writer asks here.
class DamagedFiles {
public:
    void Add(const QString& path) {
        const std::lock_guard lock(mutex_);
        files_[path] = SignatureOf(path);
    }
    bool Contains(const QString& path) {
        const std::lock_guard lock(mutex_);
        const auto found = files_.find(path);
        return found != files_.end() && found->second == SignatureOf(path);
    }

private:
    std::mutex mutex_;
    std::map<QString, FileSignature> files_;
};

DamagedFiles& Damaged() {
    static DamagedFiles files;
    return files;
}

void ReportDamaged(const QString& path) {
    ReportOnce("Settings file is damaged and is left unchanged: " + QToAnsi(path));
}

// False when the file could not be read or parsed; the trouble is reported.
bool CheckStatus(const QSettings& store, const QString& path) {
    switch (store.status()) {
        case QSettings::NoError:
            return true;
        case QSettings::AccessError:
            ReportOnce("Cannot read settings file: " + QToAnsi(path));
            return false;
        case QSettings::FormatError:
            Damaged().Add(path);
            ReportDamaged(path);
            return false;
    }
    return false;
}

QString ValueKey(const ResolvedKey& key, std::string_view name) {
    const QString value = QFromAnsi(name);
    return key.groups.empty() ? value : QFromAnsi(key.groups) + '/' + value;
}

// The stored value as text; nullopt when it is missing or holds something other than text.
std::optional<std::string> ReadValue(const std::optional<ResolvedKey>& resolved,
                                     std::string_view name) {
    if (!resolved)
        return std::nullopt;
    const ResolvedKey& key = *resolved;
    const QString path = StorePath(key.root);
    QSettings store(path, QSettings::IniFormat);
    CheckStatus(store, path);
    const QVariant value = store.value(ValueKey(key, name));
    if (value.typeId() == QMetaType::QString)
        return QToAnsi(value.toString());
    // An unquoted value with commas, as a person may write it by hand, reads as a list.
    if (value.typeId() == QMetaType::QStringList)
        return QToAnsi(value.toStringList().join(QLatin1String(", ")));
    return std::nullopt;
}

// Sets the file's modification time to at least one millisecond after `previous`. Store
// readers in every process keep a parsed copy of the file and parse it again only when its
// size or modification time (in milliseconds) changed; two writes within one clock tick that
// leave the size alike would otherwise look unchanged, and a later write from that copy would
// undo the other process's value.
void AdvanceModificationTime(const QString& path, const timespec& previous) {
    const QByteArray file = QFile::encodeName(path);
    struct stat now {};
    if (::stat(file.constData(), &now) != 0)
        return;
    const long long previousMs = previous.tv_sec * 1000LL + previous.tv_nsec / 1000000;
    const long long currentMs = now.st_mtim.tv_sec * 1000LL + now.st_mtim.tv_nsec / 1000000;
    if (currentMs > previousMs)
        return;
    const long long wantedMs = previousMs + 1;
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = wantedMs / 1000;
    times[1].tv_nsec = (wantedMs % 1000) * 1000000;
    ::utimensat(AT_FDCWD, file.constData(), times, 0);
}

void WriteValues(const std::optional<ResolvedKey>& resolved, const SettingValues& values) {
    if (!resolved || values.empty())
        return;
    const ResolvedKey& key = *resolved;
    const QString path = StorePath(key.root);
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Writers of every program take this lock, so the modification times they leave rise
    // strictly from one write to the next.
    QLockFile guard(path + QLatin1String(".guard"));
    if (!guard.lock()) {
        ReportOnce("Cannot write settings file: " + QToAnsi(path));
        return;
    }
    struct stat before {};
    const QByteArray file = QFile::encodeName(path);
    const bool existed = ::stat(file.constData(), &before) == 0;
    {
        QSettings store(path, QSettings::IniFormat);
        if (!CheckStatus(store, path))
            return;
        if (Damaged().Contains(path)) {
            ReportDamaged(path);
            return;
        }
        for (const auto& [name, value] : values)
            store.setValue(ValueKey(key, name), QFromAnsi(value));
        store.sync();
        if (store.status() != QSettings::NoError) {
            ReportOnce("Cannot write settings file: " + QToAnsi(path));
            return;
        }
    }
    if (existed)
        AdvanceModificationTime(path, before.st_mtim);
}

}  // namespace

std::string SettingsFolder() {
    if (const char* dir = std::getenv("NIMBRA_SETTINGS_DIR"); dir && *dir)
        return dir;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return std::string(config) + "/nimbra";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config/nimbra";
}

std::string ReadSetting(std::string_view keyPath, std::string_view name, std::string_view def) {
    const std::optional<std::string> value = ReadValue(ResolveKeyPath(keyPath), name);
    return value && !value->empty() ? *value : std::string(def);
}

void WriteSetting(std::string_view keyPath, std::string_view name, std::string_view value) {
    WriteValues(ResolveKeyPath(keyPath), {{std::string(name), std::string(value)}});
}

std::string ReadPluginSetting(std::string_view section, std::string_view name,
                              std::string_view def) {
    const std::optional<std::string> value =
        ReadValue(ResolveKeyPath(PluginKeyPath(section)), name);
    return value ? *value : std::string(def);
}

void WritePluginSetting(std::string_view section, std::string_view name, std::string_view value) {
    WriteValues(ResolveKeyPath(PluginKeyPath(section)), {{std::string(name), std::string(value)}});
}

void WritePluginSettings(std::string_view section, const SettingValues& values) {
    WriteValues(ResolveKeyPath(PluginKeyPath(section)), values);
}

std::string ReadWallSetting(std::string_view section, std::string_view name, std::string_view def) {
    return ReadSetting(std::string(settings::kWallKey).append(section), name, def);
}

}  // namespace nimbra
