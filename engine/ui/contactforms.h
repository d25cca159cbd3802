#pragma once
// The address book's two dialogs: the contact editor (name, mobile number, note, group) and
// the group name dialog. They only ask; the address book window makes the change.
#include <string>
#include <vector>

#include <QDialog>

#include "contact.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace nimbra::ui {

// The number the editor shows as an example of international format, also the sample
// contact's.
inline constexpr const char* kExampleNumber = "+441632960123";

class TfrmContact final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmContact(QWidget* parent = nullptr);

    // Fills the fields from a contact and the group list from groups (the root's name first,
    // which an empty group field gets).
    void Prepare(const Contact& contact, const std::vector<std::string>& groups);
    // The fields as an unchecked contact; the name without parentheses.
    Contact Fields() const;

    QLineEdit* NameField() const { return name_; }
    QLineEdit* MobileField() const { return mobile_; }
    QPlainTextEdit* NoteField() const { return note_; }
    QComboBox* GroupField() const { return group_; }

private:
    void NameLeft();

    QLineEdit* name_;
    QLineEdit* mobile_;
    QPlainTextEdit* note_;
    QComboBox* group_;
};

class TfrmGroupName final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmGroupName(QWidget* parent = nullptr);

    void Prepare(const std::string& name);
    std::string GroupName() const;
    QLineEdit* NameField() const { return name_; }

private:
    QLineEdit* name_;
};

}  // namespace nimbra::ui
