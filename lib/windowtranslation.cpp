#include "windowtranslation.h"

#include <optional>

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QWidget>

#include "inifile.h"
#include "notifier.h"
#include "qansi.h"
#include "translation.h"
#include "unStrings.h"

namespace nimbra {
namespace {

enum class Form { Plain, Escaped };

// Dialogs parented to a window have window files of their own; menus, though shown as
// windows of their own, belong to the window.
bool IsOtherWindow(const QObject* object) {
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget && widget->isWindow() && !qobject_cast<const QMenu*>(object);
}

class WindowTranslator {
public:
    explicit WindowTranslator(IniFile& file) : file_(file) {}

    bool changed() const { return changed_; }

    // The caption the file holds for section/key; when it holds none, the current caption
    // is written into the file and nullopt returned.
    std::optional<QString> Caption(const QString& section, const char* key, const QString& current,
                                   Form form = Form::Plain) {
        if (section.isEmpty() || section.startsWith(QLatin1String("qt_")) || current.isEmpty())
            return std::nullopt;
        const std::string name = QToAnsi(section);
        if (const auto stored = file_.Read(name, key); stored && !stored->empty())
            return QFromAnsi(form == Form::Escaped ? UnescapeLineBreaks(*stored) : *stored);
        const std::string shown = QToAnsi(current);
        // Only label captions have a written form for line breaks; another multi-line caption
        // would come back as one line, so it stays as designed.
        if (form == Form::Plain && shown.find_first_of("\r\n") != std::string::npos)
            return std::nullopt;
        file_.Write(name, key, form == Form::Escaped ? EscapeLineBreaks(shown) : shown);
        changed_ = true;
        return std::nullopt;
    }

    void Visit(QObject* parent) {
        for (QObject* child : parent->children())
            if (!IsOtherWindow(child) && VisitOne(child))
                Visit(child);
    }

private:
    // Translates one component; true when its children are to be visited.
    bool VisitOne(QObject* object) {
        const QString name = object->objectName();
        if (auto* label = qobject_cast<QLabel*>(object)) {
            if (auto text = Caption(name, "Caption", label->text(), Form::Escaped))
                label->setText(*text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
            if (auto text = Caption(name, "Caption", button->text()))
                button->setText(*text);
        } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
            if (auto text = Caption(name, "Caption", group->title()))
                group->setTitle(*text);
        } else if (auto* tabs = qobject_cast<QTabWidget*>(object)) {
            for (int i = 0; i < tabs->count(); ++i)
                if (auto text = Caption(tabs->widget(i)->objectName(), "Caption", tabs->tabText(i)))
                    tabs->setTabText(i, *text);
        } else if (auto* menu = qobject_cast<QMenu*>(object)) {
            if (auto text = Caption(name, "Caption", menu->title()))
                menu->setTitle(*text);
        } else if (auto* action = qobject_cast<QAction*>(object)) {
            VisitAction(action);
        } else if (auto* bar = qobject_cast<QStatusBar*>(object)) {
            VisitStatusBar(bar);
            return false;
        }
        return true;
    }

    void VisitAction(QAction* action) {
        const QString name = action->objectName();
        if (auto text = Caption(name, "Caption", action->text()))
            action->setText(*text);
        bool onToolbar = false;
        for (QObject* user : action->associatedObjects())
            onToolbar = onToolbar || qobject_cast<QToolBar*>(user) != nullptr;
        if (onToolbar)
            if (auto hint = Caption(name, "Hint", action->toolTip()))
                action->setToolTip(*hint);
    }

    // The status bar's panels are its labels, in the order they were added.
    void VisitStatusBar(QStatusBar* bar) {
        int index = 0;
        for (QObject* child : bar->children()) {
            auto* panel = qobject_cast<QLabel*>(child);
            if (!panel)
                continue;
            const std::string key = "Panel" + std::to_string(index++);
            if (auto text = Caption(bar->objectName(), key.c_str(), panel->text()))
                panel->setText(*text);
        }
    }

    IniFile& file_;
    bool changed_ = false;
};

}  // namespace

bool TranslateWindow(QWidget* window, const std::string& windowName, LanguageFiles& files) {
    files.Reset();
    if (!files.EnsureFolders())
        return false;
    const std::filesystem::path path = files.WindowFile(windowName);
    IniFile file;
    if (!file.Load(path)) {
        // Not rewritten: what a translator put there is not to be lost.
        ProcessNotifier().ShowMessage("Cannot open language file: " + path.string());
        return false;
    }
    WindowTranslator translator(file);
    const QString section =
        window->objectName().isEmpty() ? QFromAnsi(windowName) : window->objectName();
    if (auto title = translator.Caption(section, "Caption", window->windowTitle()))
        window->setWindowTitle(*title);
    translator.Visit(window);
    if (translator.changed() && !file.Save(path)) {
        ProcessNotifier().ShowMessage("Cannot open language file: " + path.string());
        return false;
    }
    return true;
}

bool TranslateWindow(QWidget* window, const std::string& windowName) {
    return TranslateWindow(window, windowName, ProcessLanguage());
}

QString Tr(const QString& key) {
    return QFromAnsi(Translate(QToAnsi(key)));
}

QString Tr(const char* key) {
    return QFromAnsi(Translate(key));
}

}  // namespace nimbra
