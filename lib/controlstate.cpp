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

// A dialog or other top-level window parented to this one keeps its own settings.
bool IsOtherWindow(const QObject* object) {
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget && widget->isWindow();
}

// Walks the children in creation order; controls are not entered (their own children are
// their parts), other windows are passed by, everything else is entered. Returns false as
// soon as `each` does.
template <typename Each>
bool Walk(QObject* parent, Each&& each) {
    for (QObject* child : parent->children()) {
        if (IsOtherWindow(child))
            continue;
        if (IsControl(child)) {
            if (!Skipped(child) && !each(child))
                return false;
        } else if (!Walk(child, each)) {
            return false;
        }
    }
    return true;
}

// The stored form of each kind of control.
QString StoredValue(const QLineEdit* edit) {
    return edit->text();
}
QString StoredValue(const QComboBox* combo) {
    return combo->currentText();
}
QString StoredValue(const QPlainTextEdit* memo) {
    return ToStoredLines(memo->toPlainText());
}
QString StoredValue(const QAbstractButton* button) {
    return QLatin1String(Flag(button->isChecked()));
}
QString StoredValue(const QAction* action) {
    return QLatin1String(Flag(action->isChecked()));
}
QString StoredValue(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines.join(QLatin1String("\r\n"));
}
QString StoredValue(const RadioGroup* group) {
    return QString::number(group->itemIndex());
}

}  // namespace

void SaveControl(const std::string& section, const QLineEdit* edit) {
    Save(section, edit, StoredValue(edit));
}
void LoadControl(const std::string& section, QLineEdit* edit) {
    edit->setText(Load(section, edit, StoredValue(edit)));
}

void SaveControl(const std::string& section, const QComboBox* combo) {
    Save(section, combo, StoredValue(combo));
}
void LoadControl(const std::string& section, QComboBox* combo) {
    const QString text = Load(section, combo, StoredValue(combo));
    if (combo->isEditable()) {
        combo->setEditText(text);
    } else if (const int index = combo->findText(text); index >= 0) {
        combo->setCurrentIndex(index);
    }
}

void SaveControl(const std::string& section, const QPlainTextEdit* memo) {
    Save(section, memo, StoredValue(memo));
}
void LoadControl(const std::string& section, QPlainTextEdit* memo) {
    const QString text = Load(section, memo, StoredValue(memo));
    memo->setPlainText(FromStoredLines(text).join('\n'));
}

void SaveControl(const std::string& section, const QAbstractButton* button) {
    Save(section, button, StoredValue(button));
}
void LoadControl(const std::string& section, QAbstractButton* button) {
    button->setChecked(Load(section, button, StoredValue(button)) == QLatin1String("1"));
}

void SaveControl(const std::string& section, const QAction* action) {
    Save(section, action, StoredValue(action));
}
void LoadControl(const std::string& section, QAction* action) {
    action->setChecked(Load(section, action, StoredValue(action)) == QLatin1String("1"));
}

bool LoadCheckBox(const std::string& section, QCheckBox* box, bool defaultChecked) {
    box->setChecked(Load(section, box, QLatin1String(Flag(defaultChecked))) == QLatin1String("1"));
    return box->isChecked();
}

void SaveControl(const std::string& section, const QListWidget* list) {
    Save(section, list, StoredValue(list));
}
void LoadControl(const std::string& section, QListWidget* list) {
    const QString text = Load(section, list, StoredValue(list));
    list->clear();
    if (!text.isEmpty())
        list->addItems(FromStoredLines(text));
}

void SaveControl(const std::string& section, const RadioGroup* group) {
    Save(section, group, StoredValue(group));
}
bool LoadControl(const std::string& section, RadioGroup* group, QString* error) {
    const QString text = Load(section, group, StoredValue(group));
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
    // One write of the store for the whole window.
    SettingValues values;
    Walk(const_cast<QObject*>(window), [&](QObject* control) {
        return VisitControl(control, [&](auto* typed) {
            values.emplace_back(NameOf(typed), QToAnsi(StoredValue(typed)));
            return true;
        });
    });
    WritePluginSettings(section, values);
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
