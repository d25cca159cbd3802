#include "engineadmin.h"

#include <exception>

#include <QLocale>

#include "durablewrites.h"
#include "engine.h"
#include "folderadmin.h"
#include "installation.h"
#include "languagechange.h"
#include "optionsedit.h"
#include "qansi.h"

namespace nimbra {
namespace {

constexpr char kNotStoredText[] = "The message could not be written to the disk";

QStringList FromAnsi(const std::vector<std::string>& texts) {
    QStringList list;
    for (const std::string& text : texts)
        list << QFromAnsi(text);
    return list;
}

// Runs a core operation; its failure becomes an AdminError with the text in UTF-8.
template <class Operation>
auto Run(const Operation& operation) -> decltype(operation()) {
    try {
        return operation();
    } catch (const AdminError&) {
        throw;
    } catch (const std::exception& e) {
        throw AdminError(QFromAnsi(e.what()));
    }
}

// Files filed shortly before are in place, so that folders not read yet are read whole.
void CommitWrites() {
    ProcessDurableWrites().Commit();
}

int KindIndex(const QString& kind) {
    const int index = DeviceKindIndex(QToAnsi(kind));
    if (index < 0)
        throw AdminError(
            QStringLiteral("No such kind of device: %1 (gsm, ucp, smpp or cimd)").arg(kind));
    return index;
}

}  // namespace

std::string SystemDatePicture() {
    QString date = QLocale::system().dateFormat(QLocale::ShortFormat);
    date.replace(QLatin1Char('M'), QLatin1Char('m'));
    return QToAnsi(date) + " hh:nn:ss";
}

QStringList EngineAdmin::Folders(QList<int>& counts) {
    CommitWrites();
    return Run([&] {
        QStringList folders;
        counts.clear();
        for (const FolderCount& folder : CountFolders(engine_)) {
            folders << QFromAnsi(folder.folder);
            counts << folder.count;
        }
        return folders;
    });
}

QStringList EngineAdmin::Messages(const QString& folder, QStringList& numbers, QStringList& times,
                                  QStringList& texts) {
    CommitWrites();
    return Run([&] {
        QStringList ids;
        for (const ListedMessage& message : ListFolder(engine_, QToAnsi(folder))) {
            ids << QFromAnsi(message.messageId);
            numbers << QFromAnsi(message.number);
            times << QFromAnsi(message.time);
            texts << QString::fromStdU16String(message.text);
        }
        return ids;
    });
}

QStringList EngineAdmin::Devices(QStringList& connections, QStringList& states,
                                 QStringList& operators, QList<bool>& canSend,
                                 QStringList& statuses) {
    QStringList names;
    for (const InstalledDevice& device : InstalledDevices(engine_)) {
        names << QFromAnsi(device.name);
        connections << QFromAnsi(device.connection);
        states << QFromAnsi(device.state);
        operators << QFromAnsi(device.operatorName);
        canSend << device.canSend;
        statuses << QFromAnsi(device.status);
    }
    return names;
}

QStringList EngineAdmin::DevicePane() {
    return FromAnsi(engine_.Panel().Lines());
}

QStringList EngineAdmin::Plugins(QStringList& active) {
    active = FromAnsi(engine_.ActiveClientsListing());
    return FromAnsi(engine_.Options().plugins);
}

int EngineAdmin::InstallDevice(const QString& kind) {
    return Run([&] { return nimbra::InstallDevice(engine_, KindIndex(kind)); });
}

int EngineAdmin::UninstallDevice(const QString& kind) {
    return Run([&] { return nimbra::UninstallDevice(engine_, KindIndex(kind)); });
}

void EngineAdmin::InstallPlugin(const QString& name) {
    Run([&] { nimbra::InstallPlugin(engine_, QToAnsi(name)); });
}

void EngineAdmin::UninstallPlugin(const QString& name) {
    Run([&] { nimbra::UninstallPlugin(engine_, QToAnsi(name)); });
}

QStringList EngineAdmin::Options(QStringList& values) {
    QStringList names;
    for (const OptionSetting& setting : ServerOptionSettings(engine_)) {
        names << QFromAnsi(setting.name);
        values << QFromAnsi(setting.value);
    }
    return names;
}

void EngineAdmin::SetOptions(const QStringList& names, const QStringList& values) {
    if (names.size() != values.size())
        throw AdminError(
            QStringLiteral("%1 option names but %2 values").arg(names.size()).arg(values.size()));
    std::vector<OptionSetting> changes;
    for (qsizetype i = 0; i < names.size(); ++i)
        changes.push_back({QToAnsi(names[i]), QToAnsi(values[i])});
    Run([&] { ChangeServerOptions(engine_, changes); });
}

int EngineAdmin::ResendFailed(bool& running) {
    const ResendState state = nimbra::ResendFailed(engine_);
    running = state.running;
    return state.waiting;
}

QString EngineAdmin::MoveMessage(const QString& messageId, const QString& folder) {
    CommitWrites();
    const std::string from = Run([&] {
        DurableWritesHold hold;
        return MoveToFolder(engine_, QToAnsi(messageId), QToAnsi(folder));
    });
    if (!ProcessDurableWrites().Commit())
        throw AdminError(QString::fromLatin1(kNotStoredText));
    return QFromAnsi(from);
}

QByteArray EngineAdmin::ExportFolder(const QString& folder, int& rows) {
    CommitWrites();
    const FolderExport exported =
        Run([&] { return nimbra::ExportFolder(engine_, QToAnsi(folder), SystemDatePicture()); });
    rows = exported.rows;
    return QByteArray::fromStdString(exported.csv);
}

QString EngineAdmin::SetLanguage(const QString& name) {
    return Run([&] { return QFromAnsi(ChangeLanguage(engine_, QToAnsi(name))); });
}

}  // namespace nimbra
