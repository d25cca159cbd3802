#pragma once
// TfrmComposer, the "Message Composer": recipients ("To:" with completion from the address
// book, "CC:"), the operator to send through ("From:"), the message text with its counters,
// the message file, print and send. Each composer is a window of its own that frees itself
// when closed; sending turns the text into stored messages in the Outbox.
#include <functional>

#include <QMainWindow>
#include <QString>

#include "composerlogic.h"
#include "engine.h"

class QComboBox;
class QCompleter;
class QLabel;
class QPlainTextEdit;
class QStringListModel;

namespace nimbra::ui {

// What the composer asks of the desktop; tests give their own.
struct ComposerHooks {
    // A Yes/No question; true for Yes.
    std::function<bool(const QString& question)> ask;
    // A message for the operator.
    std::function<void(const QString& message)> tell;
    // The file to open or save, asked with a title and a filter; empty when cancelled.
    std::function<QString(const QString& title, const QString& filter)> openFileName;
    std::function<QString(const QString& title, const QString& filter)> saveFileName;
};

class TfrmComposer;

// What the composer asks of the other windows.
struct ComposerLinks {
    // "&New": another composer.
    std::function<void()> newComposer;
    // "Numbers" and the field buttons: the address book tied to this composer.
    std::function<void(TfrmComposer*)> numbers;
};

inline constexpr const char* kUnicodeQuestion =
    "Would you like to send this message as a unicode SMS, to be able to use special "
    "characters?";
inline constexpr const char* kInvalidRecipientText =
    "The phone number must be in international format:";
inline constexpr const char* kNoRecipientText = "You must specify a recipient for the SMS!";

class TfrmComposer final : public QMainWindow {
    Q_OBJECT
public:
    TfrmComposer(Engine& engine, ComposerLinks links, ComposerHooks hooks,
                 QWidget* parent = nullptr);

    // The recipient fields, as the address book and the main window fill them.
    void SetRecipients(const QString& to, const QString& cc);
    QString To() const;
    QString Cc() const;
    // The message text; unicode switches "&Unicode" on first (a reply to a Unicode message).
    void SetText(const QString& text, bool unicode = false);
    QString Text() const;
    void FocusText();

    // Commands.
    void Send();
    // Writes or reads a message file; false (the operator told) on failure. Reading a file of
    // fewer than three lines changes nothing.
    bool SaveTo(const QString& path);
    bool OpenFrom(const QString& path);
    void SaveMessage();
    void OpenMessage();
    void PrintMessage();
    void SetUnicode(bool on);
    void SetViewOperator(bool on);

    bool Unicode() const;
    bool UnicodeAsked() const { return unicodeAsked_; }
    // The status panels: characters, messages, characters left, state.
    QLabel* Panel(int index) const { return panels_[index]; }
    QComboBox* ToField() const { return to_; }
    QPlainTextEdit* CcField() const { return cc_; }
    QComboBox* FromField() const { return from_; }
    QWidget* FromRow() const { return fromRow_; }
    QPlainTextEdit* TextField() const { return text_; }
    QAction* FindAction(const QString& objectName) const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenusAndToolbar();
    QWidget* CreateFields();
    void FillOperators();
    void ShowFromRow();
    void UpdateCounters();
    void Complete(const QString& typed);

    Engine& engine_;
    ComposerLinks links_;
    ComposerHooks hooks_;
    bool unicodeAsked_ = false;
    bool translated_ = false;
    bool updating_ = false;
    int lastKey_ = 0;
    QString lastKeyText_;

    QComboBox* to_ = nullptr;
    QCompleter* completer_ = nullptr;
    QStringListModel* completions_ = nullptr;
    QPlainTextEdit* cc_ = nullptr;
    QWidget* fromRow_ = nullptr;
    QComboBox* from_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QLabel* panels_[4] = {};
    QAction* actSend_ = nullptr;
    QAction* actViewOperator_ = nullptr;
    QAction* actUnicode_ = nullptr;
};

}  // namespace nimbra::ui
