#include "settingsstore.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStringList>

#include "keypath.h"
#include "notifier.h"
#include "qansi.h"
#include "settingsfile.h"
#include "settingskeys.h"

namespace nimbra {
namespace {

QString FromWide(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string Wide(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// A value that is not text (a rectangle, a byte array) is kept as its notation in a
// QByteArray and written back as it was; the store only ever sets text.
bool ReadStoreFile(QIODevice& device, QSettings::SettingsMap& map) {
    const QByteArray data = device.readAll();
    const SettingsFileContent content = ParseSettingsFile(
        std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
    for (const SettingsLine& line : content.lines) {
        const std::optional<std::u16string> text = SettingsValueText(line.notation);
        map.insert(FromWide(line.key), text ? QVariant(FromWide(*text))
                                            : QVariant(QByteArray::fromStdString(line.notation)));
    }
    return !content.damaged;
}

bool WriteStoreFile(QIODevice& device, const QSettings::SettingsMap& map) {
    std::vector<SettingsLine> lines;
    lines.reserve(static_cast<std::size_t>(map.size()));
    for (auto entry = map.cbegin(); entry != map.cend(); ++entry) {
        const QVariant& value = entry.value();
        lines.push_back({Wide(entry.key()), value.typeId() == QMetaType::QByteArray
                                                ? value.toByteArray().toStdString()
                                                : SettingsValueNotation(Wide(value.toString()))});
    }
    const std::string text = SettingsFileText(lines);
    return device.write(text.data(), static_cast<qint64>(text.size())) ==
           static_cast<qint64>(text.size());
}

// The store files' own format: QSettings still locks, merges and replaces the files; this
// reads hand-typed values as typed. QSettings compares keys case-sensitively whatever a
// format asks for on this platform, so the store matches names itself (StoredKey).
QSettings::Format StoreFormat() {
    static const QSettings::Format format = QSettings::registerFormat(
        QStringLiteral("ini"), ReadStoreFile, WriteStoreFile, Qt::CaseSensitive);
    return format;
}

// The key among keys that names wanted, comparing names and levels ignoring case as the
// registry does. A key not stored yet takes the spelling of the levels that already are, so
// that it joins their section.
QString MatchingKey(const QString& wanted, const QStringList& keys) {
    qsizetype spelledLevels = 0;
    QString spelling;
    for (const QString& key : keys) {
        if (key.compare(wanted, Qt::CaseInsensitive) == 0)
            return key;
        for (qsizetype slash = wanted.indexOf(u'/'); slash >= 0;
             slash = wanted.indexOf(u'/', slash + 1)) {
            if (key.size() <= slash || key[slash] != u'/' ||
                QStringView(key).first(slash).compare(QStringView(wanted).first(slash),
                                                      Qt::CaseInsensitive) != 0) {
                break;
            }
            if (slash > spelledLevels) {
                spelledLevels = slash;
                spelling = key.first(slash);
            }
        }
    }
    return spelling + wanted.sliced(spelledLevels);
}

QString StoredKey(const QSettings& store, const QString& wanted) {
    return store.contains(wanted) ? wanted : MatchingKey(wanted, store.allKeys());
}

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

// QSettings keeps none of a damaged file's values; those that can be read are read here.
QVariant ValueInDamagedFile(const QString& path, const QString& wanted) {
    QFile file(path);
    QSettings::SettingsMap values;
    if (file.open(QIODevice::ReadOnly))
        ReadStoreFile(file, values);
    return values.value(values.contains(wanted) ? wanted : MatchingKey(wanted, values.keys()));
}

// The stored value as text; nullopt when it is missing or holds something other than text.
std::optional<std::string> ReadValue(const std::optional<ResolvedKey>& resolved,
                                     std::string_view name) {
    if (!resolved)
        return std::nullopt;
    const ResolvedKey& key = *resolved;
    const QString path = StorePath(key.root);
    const QString wanted = ValueKey(key, name);
    QSettings store(path, StoreFormat());
    CheckStatus(store, path);
    if (store.status() == QSettings::AccessError)
        return std::nullopt;
    const QVariant value = Damaged().Contains(path) ? ValueInDamagedFile(path, wanted)
                                                    : store.value(StoredKey(store, wanted));
    if (value.typeId() == QMetaType::QString)
        return QToAnsi(value.toString());
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
        QSettings store(path, StoreFormat());
        if (!CheckStatus(store, path))
            return;
        if (Damaged().Contains(path)) {
            ReportDamaged(path);
            return;
        }
        for (const auto& [name, value] : values)
            store.setValue(StoredKey(store, ValueKey(key, name)), QFromAnsi(value));
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
