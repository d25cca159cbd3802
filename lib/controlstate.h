#pragma once

// Saving and restoring settings windows control by control: each control's value is stored
// in a program's settings section under the control's object name.
//
//   single-line edit, combo box, multi-line edit   its text (line breaks as CR LF)
//   check box, radio button, checkable action      "1" when checked, "0" when not
//   list widget                                    its lines joined with CR LF
//   radio group                                    the selected index as decimal text
//
// Loading uses the control's current state as the default, so a value never stored leaves
// the control as designed.

#include <string>

#include <QString>

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QObject;
class QPlainTextEdit;

namespace nimbra {

class RadioGroup;

void SaveControl(const std::string& section, const QLineEdit* edit);
void LoadControl(const std::string& section, QLineEdit* edit);
void SaveControl(const std::string& section, const QComboBox* combo);
void LoadControl(const std::string& section, QComboBox* combo);
void SaveControl(const std::string& section, const QPlainTextEdit* memo);
void LoadControl(const std::string& section, QPlainTextEdit* memo);
// Check boxes and radio buttons.
void SaveControl(const std::string& section, const QAbstractButton* button);
void LoadControl(const std::string& section, QAbstractButton* button);
// Checkable actions, such as toolbar buttons that stay down.
void SaveControl(const std::string& section, const QAction* action);
void LoadControl(const std::string& section, QAction* action);
void SaveControl(const std::string& section, const QListWidget* list);
void LoadControl(const std::string& section, QListWidget* list);
void SaveControl(const std::string& section, const RadioGroup* group);
// Fails, leaving the selection alone, when the stored value is not a decimal number; the
// reason goes to *error.
bool LoadControl(const std::string& section, RadioGroup* group, QString* error = nullptr);

// A check box whose default is given rather than taken from its state; returns the state
// it ends in.
bool LoadCheckBox(const std::string& section, QCheckBox* box, bool defaultChecked);

// Every supported control inside a window, found through its children in creation order;
// a control without an object name (or with one of Qt's internal "qt_" names) is skipped.
void SaveWindow(const std::string& section, const QObject* window);
// Stops at the first control that cannot be loaded, returning false with the reason.
bool LoadWindow(const std::string& section, QObject* window, QString* error = nullptr);

}  // namespace nimbra
