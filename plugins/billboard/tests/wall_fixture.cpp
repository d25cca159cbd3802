#include "wall_fixture.h"

#include <memory>
#include <optional>

#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "event_wait.h"
#include "file_text.h"
#include "phonenumfile.h"
#include "unBillboardDisplay.h"

namespace nimbra::testing_support {

WallHome::WallHome(const std::string& number) {
    Write("Billboard/index.html", ReadFileText(BILLBOARD_PAGE));
    if (!number.empty())
        Write(kPhoneNumFileName, PhoneNumLine(number) + "\r\n");
}

std::filesystem::path WallHome::Write(const std::string& name, const std::string& text) const {
    WriteFileText(dir_ / name, text);
    return dir_ / name;
}

ConsoleRecorder::ConsoleRecorder(TfrmDisplay& display) {
    QObject::connect(
        &display, &TfrmDisplay::consoleMessage, &display,
        [this](int level, const QString& message, int line, const QString& source) {
            lines_.push_back(
                {level, QStringLiteral("%1:%2: %3").arg(source).arg(line).arg(message)});
        });
}

QString ConsoleRecorder::Text() const {
    QString text;
    for (const ConsoleLine& line : lines_)
        text += QString::number(line.level) + QLatin1Char(' ') + line.text + QLatin1Char('\n');
    return text;
}

bool LoadPage(TfrmDisplay& display, const std::filesystem::path& file) {
    QSignalSpy loaded(&display, &TfrmDisplay::pageLoaded);
    display.SetTemplateSource([file] { return QString::fromStdString(file.string()); });
    if (!display.LoadTemplate())
        return false;
    return ProcessEventsUntil([&] { return !loaded.isEmpty(); }, kPageTimeoutMs) &&
           loaded.first().first().toBool();
}

QVariant RunScript(TfrmDisplay& display, const QString& script) {
    auto result = std::make_shared<std::optional<QVariant>>();
    display.browser()->page()->runJavaScript(script,
                                             [result](const QVariant& value) { *result = value; });
    ProcessEventsUntil([&] { return result->has_value(); }, kPageTimeoutMs);
    return result->value_or(QVariant());
}

QString WallText(TfrmDisplay& display) {
    auto result = std::make_shared<std::optional<QString>>();
    display.ReadCurrentText([result](const QString& text) { *result = text; });
    ProcessEventsUntil([&] { return result->has_value(); }, kPageTimeoutMs);
    return result->value_or(QStringLiteral("<no answer>"));
}

}  // namespace nimbra::testing_support
