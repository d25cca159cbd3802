#pragma once
// TfrmPref, the preferences window of a driver: the fields of its configuration on tabs,
// loaded from and saved to the settings section named after the driver's realName. The
// protocol thread sees the fields through a FieldStore that follows every edit at once;
// values the link corrects come back into the fields.

#include <map>
#include <string>

#include <QDialog>

#include "frameconfig.h"

class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace nimbra::driver {

class FieldStore;

class TfrmPref : public QDialog {
    Q_OBJECT
public:
    // Builds the fields, loads them from the section `realName` and hands them to the store.
    TfrmPref(const FrameConfig& config, const std::string& realName, FieldStore& store,
             QWidget* parent = nullptr);

    // Shows the field's value in the store after the link corrected it (window thread).
    void ShowField(const std::string& name);
    // The field's text ("1"/"0" for check boxes and radio buttons), as the settings store
    // keeps it.
    std::string FieldValue(const std::string& name) const;

    QAbstractButton* okButton() const { return ok_; }
    QAbstractButton* cancelButton() const { return cancel_; }

signals:
    // After creation and after OK: the frame reports operator and device to the engine.
    void applied();

private:
    void bOKClick();
    void bCancelClick();
    void Load();
    void Publish(const std::string& name);

    std::string section_;
    FieldStore& store_;
    std::map<std::string, QLineEdit*> edits_;
    std::map<std::string, QCheckBox*> checks_;
    std::map<std::string, QRadioButton*> radios_;
    QAbstractButton* ok_ = nullptr;
    QAbstractButton* cancel_ = nullptr;
};

}  // namespace nimbra::driver
