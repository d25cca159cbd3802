#include "controlstate.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStringList>

#include "qansi.h"
#include "radiogroup.h"
#include "settingsstore.h"
#include "unStrings.h"

namespace nimbra {
namespace {

std::string NameOf(const QObject* object) {
    return QToAnsi(object->objectName());
}

void Save(const std::string& section, const QObject* control, const QString& value) {
    WritePluginSetting(section, NameOf(control), QToAnsi(value));
}

QString Load(const std::string& section, const QObject* control, const QString& def) {
    return QFromAnsi(ReadPluginSetting(section, NameOf(control), QToAnsi(def)));
}

const char* Flag(bool checked) {
    return checked ? "1" : "0";
}

// Stored texts separate lines with CR LF; Qt's multi-line controls use LF.
QString ToStoredLines(QString text) {
    return text.replace('\n', QLatin1String("\r\n"));
}

QStringList FromStoredLines(const QString& text) {
    QString lf = text;
    lf.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace('\r', '\n');
    return lf.split('\n');
}

bool Skipped(const QObject* control) {
    const QString name = control->objectName();
    return name.isEmpty() || name.startsWith(QLatin1String("qt_"));
}

// Saves or loads one supported control; false when the object is no such control.
template <typename Visit>
bool VisitControl(QObject* object, Visit&& visit) {
    if (auto* edit = qobject_cast<QLineEdit*>(object))
        return visit(edit);
    if (auto* radio = qobject_cast<QRadioButton*>(object))
        return visit(static_cast<QAbstractButton*>(radio));
    if (auto* memo = qobject_cast<QPlainTextEdit*>(object))
        return visit(memo);
    if (auto* box = qobject_cast<QCheckBox*>(object))
        return visit(static_cast<QAbstractButton*>(box));
    if (auto* combo = qobject_cast<QComboBox*>(object))
        return visit(combo);
    if (auto* group = qobject_cast<RadioGroup*>(object))
        return visit(group);
    if (auto* list = qobject_cast<QListWidget*>(object))
        return visit(list);
    return false;
}

bool IsControl(QObject* object) {
    return VisitControl(object, [](auto*) { return true; });
}

// Walks the children in creation order; controls are not entered (their own children are
// their parts), everything else is. Returns false as soon as `each` does.
template <typename Each>
bool Walk(QObject* parent, Each&& each) {
    for (QObject* child : parent->children()) {
        if (IsControl(child)) {
            if (!Skipped(child) && !each(child))
                return false;
        } else if (!Walk(child, each)) {
            return false;
        }
    }
    return true;
}

}  // namespace

void SaveControl(const std::string& section, const QLineEdit* edit) {
    Save(section, edit, edit->text());
}
void LoadControl(const std::string& section, QLineEdit* edit) {
    edit->setText(Load(section, edit, edit->text()));
}

void SaveControl(const std::string& section, const QComboBox* combo) {
    Save(section, combo, combo->currentText());
}
void LoadControl(const std::string& section, QComboBox* combo) {
    const QString text = Load(section, combo, combo->currentText());
    if (combo->isEditable()) {
        combo->setEditText(text);
    } else if (const int index = combo->findText(text); index >= 0) {
        combo->setCurrentIndex(index);
    }
}

void SaveControl(const std::string& section, const QPlainTextEdit* memo) {
    Save(section, memo, ToStoredLines(memo->toPlainText()));
}
void LoadControl(const std::string& section, QPlainTextEdit* memo) {
    const QString text = Load(section, memo, ToStoredLines(memo->toPlainText()));
    memo->setPlainText(FromStoredLines(text).join('\n'));
}

void SaveControl(const std::string& section, const QAbstractButton* button) {
    Save(section, button, QLatin1String(Flag(button->isChecked())));
}
void LoadControl(const std::string& section, QAbstractButton* button) {
    const QString def = QLatin1String(Flag(button->isChecked()));
    button->setChecked(Load(section, button, def) == QLatin1String("1"));
}

void SaveControl(const std::string& section, const QAction* action) {
    Save(section, action, QLatin1String(Flag(action->isChecked())));
}
void LoadControl(const std::string& section, QAction* action) {
    const QString def = QLatin1String(Flag(action->isChecked()));
    action->setChecked(Load(section, action, def) == QLatin1String("1"));
}

bool LoadCheckBox(const std::string& section, QCheckBox* box, bool defaultChecked) {
    box->setChecked(Load(section, box, QLatin1String(Flag(defaultChecked))) == QLatin1String("1"));
    return box->isChecked();
}

void SaveControl(const std::string& section, const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    Save(section, list, lines.join(QLatin1String("\r\n")));
}
void LoadControl(const std::string& section, QListWidget* list) {
    QStringList current;
    for (int i = 0; i < list->count(); ++i)
        current << list->item(i)->text();
    const QString text = Load(section, list, current.join(QLatin1String("\r\n")));
    list->clear();
    if (!text.isEmpty())
        list->addItems(FromStoredLines(text));
}

void SaveControl(const std::string& section, const RadioGroup* group) {
    Save(section, group, QString::number(group->itemIndex()));
}
bool LoadControl(const std::string& section, RadioGroup* group, QString* error) {
    const QString text = Load(section, group, QString::number(group->itemIndex()));
    int index = 0;
    if (!ParseInt32(QToAnsi(text), index)) {
        if (error)
            *error = QStringLiteral("The setting %1 is not a number: \"%2\"")
                         .arg(group->objectName(), text);
        return false;
    }
    group->setItemIndex(index);
    return true;
}

void SaveWindow(const std::string& section, const QObject* window) {
    Walk(const_cast<QObject*>(window), [&](QObject* control) {
        return VisitControl(control, [&](auto* typed) {
            SaveControl(section, typed);
            return true;
        });
    });
}

bool LoadWindow(const std::string& section, QObject* window, QString* error) {
    return Walk(window, [&](QObject* control) {
        return VisitControl(control, [&](auto* typed) {
            if constexpr (std::is_same_v<decltype(typed), RadioGroup*>) {
                return LoadControl(section, typed, error);
            } else {
                LoadControl(section, typed);
                return true;
            }
        });
    });
}

}  // namespace nimbra
