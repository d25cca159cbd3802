#include "composer.h"

#include <memory>

#include <QAction>
#include <QComboBox>
#include <QCompleter>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QStringListModel>
#include <QTextDocument>
#include <QToolBar>

#include "aboutform.h"
#include "atomicfile.h"
#include "icons.h"
#include "qansi.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "sms.h"
#include "unStrings.h"
#include "windowtranslation.h"

namespace nimbra::ui {
namespace {

constexpr int kCompletionRows = 8;

QPushButton* FieldButton(const char* name, const char* text, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFocusPolicy(Qt::NoFocus);
    button->setMinimumWidth(80);
    return button;
}

std::u16string Wide(const QString& text) {
    return text.toStdU16String();
}

QString MessageFileFilter() {
    return Tr("Message file") + QStringLiteral(" (*.msg)");
}

}  // namespace

TfrmComposer::TfrmComposer(Engine& engine, ComposerLinks links, ComposerHooks hooks,
                           QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      engine_(engine),
      links_(std::move(links)),
      hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("ComposerForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Message Composer"));
    setWindowIcon(NamedIcon(QStringLiteral("message-compose")));
    if (!hooks_.ask) {
        hooks_.ask = [this](const QString& question) {
            return QMessageBox::question(this, windowTitle(), question,
                                         QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
        };
    }
    if (!hooks_.tell) {
        hooks_.tell = [this](const QString& message) {
            QMessageBox::information(this, windowTitle(), message);
        };
    }
    if (!hooks_.openFileName) {
        hooks_.openFileName = [this](const QString& title, const QString& filter) {
            return QFileDialog::getOpenFileName(this, title, QString(), filter);
        };
    }
    if (!hooks_.saveFileName) {
        hooks_.saveFileName = [this](const QString& title, const QString& filter) {
            return QFileDialog::getSaveFileName(this, title, QString(), filter);
        };
    }
    CreateActions();
    CreateMenusAndToolbar();
    setCentralWidget(CreateFields());
    // The counters keep their width while they count; the state text takes the rest.
    const char* widest[3] = {"Character: 0000", "SMS: 00", "Characters left: 000"};
    for (int panel = 0; panel < 4; ++panel) {
        panels_[panel] = new QLabel(this);
        panels_[panel]->setFrameShape(QFrame::StyledPanel);
        panels_[panel]->setFrameShadow(QFrame::Sunken);
        panels_[panel]->setContentsMargins(4, 0, 4, 0);
        if (panel < 3) {
            panels_[panel]->setMinimumWidth(panels_[panel]->fontMetrics().horizontalAdvance(
                                                QString::fromLatin1(widest[panel])) +
                                            12);
        }
        statusBar()->addWidget(panels_[panel], panel == 3 ? 1 : 0);
    }

    // Both switches as the operator left them.
    actViewOperator_->setChecked(ReadPluginSetting(settings::kComposerSection,
                                                   settings::kComposerOperatorValue, "0") == "1");
    actUnicode_->setChecked(
        ReadPluginSetting(settings::kUnicodeSection, settings::kComposerUnicodeValue, "0") == "1");
    FillOperators();
    ShowFromRow();
    resize(520, 420);
}

void TfrmComposer::CreateActions() {
    actSend_ =
        NewAction(this, "tbSend", "Send", "message-send", QKeySequence(Qt::CTRL | Qt::Key_Return));
    connect(actSend_, &QAction::triggered, this, &TfrmComposer::Send);
    actViewOperator_ = NewAction(this, "tbOperator", "&View operator");
    actViewOperator_->setCheckable(true);
    connect(actViewOperator_, &QAction::triggered, this, &TfrmComposer::SetViewOperator);
    actUnicode_ = NewAction(this, "tbUnicode2", "&Unicode");
    actUnicode_->setCheckable(true);
    connect(actUnicode_, &QAction::triggered, this, &TfrmComposer::SetUnicode);
}

void TfrmComposer::CreateMenusAndToolbar() {
    QAction* newMessage = NewAction(this, "New1", "&New", "message-compose", QKeySequence::New);
    connect(newMessage, &QAction::triggered, this, [this] {
        if (links_.newComposer)
            links_.newComposer();
    });
    QAction* open = NewAction(this, "Open1", "&Open", nullptr, QKeySequence::Open);
    connect(open, &QAction::triggered, this, &TfrmComposer::OpenMessage);
    QAction* save = NewAction(this, "Save1", "&Save", nullptr, QKeySequence::Save);
    connect(save, &QAction::triggered, this, &TfrmComposer::SaveMessage);
    QAction* send = NewAction(this, "Send1", "&Send");
    connect(send, &QAction::triggered, this, &TfrmComposer::Send);
    // The settings of a remote server connection: nothing in this system reads them.
    QAction* settingsItem = NewAction(this, "Settings1", "&Settings");
    settingsItem->setEnabled(false);
    QAction* closeItem = NewAction(this, "Close1", "&Close");
    connect(closeItem, &QAction::triggered, this, &QWidget::close);
    QAction* cancel = NewAction(this, "tbCancel", "Cancel", "cancel");
    connect(cancel, &QAction::triggered, this, &QWidget::close);
    QAction* print = NewAction(this, "tbPrint", "Print", "print");
    connect(print, &QAction::triggered, this, &TfrmComposer::PrintMessage);
    QAction* numbers = NewAction(this, "tbNumbers", "Numbers", "addressbook");
    connect(numbers, &QAction::triggered, this, [this] {
        if (links_.numbers)
            links_.numbers(this);
    });
    QAction* cut = NewAction(this, "tbCut", "Cut", "cut", QKeySequence::Cut);
    QAction* copy = NewAction(this, "tbCopy", "Copy", "copy", QKeySequence::Copy);
    QAction* paste = NewAction(this, "tbPaste", "Paste", "paste", QKeySequence::Paste);
    QAction* undo = NewAction(this, "tbUndo", "Undo", "undo", QKeySequence::Undo);
    QAction* selectAll = NewAction(this, "SelectAll1", "&Select All");
    // Editing commands act on the message text; the shortcuts stay with the focused field.
    for (QAction* action : {cut, copy, paste, undo})
        action->setShortcutContext(Qt::WidgetShortcut);
    QAction* about = NewAction(this, "About1", "&About");
    connect(about, &QAction::triggered, this, [this] {
        AboutForm form(this);
        form.exec();
    });

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    file->addActions({newMessage, open, save});
    file->addSeparator();
    file->addAction(send);
    file->addAction(settingsItem);
    file->addSeparator();
    file->addAction(closeItem);
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("Edit1"));
    edit->addActions({undo, cut, copy, paste});
    edit->addSeparator();
    edit->addAction(selectAll);
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("View1"));
    view->addActions({actViewOperator_, actUnicode_});
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    help->addAction(about);

    QToolBar* bar = addToolBar(QStringLiteral("Composer"));
    bar->setObjectName(QStringLiteral("tbComposer"));
    bar->setMovable(false);
    bar->setIconSize(QSize(20, 20));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->addAction(actSend_);
    bar->addSeparator();
    bar->addActions({cut, copy, paste, undo});
    bar->addSeparator();
    bar->addActions({print, numbers});
    bar->addSeparator();
    bar->addAction(cancel);

    // The text's own commands.
    connect(cut, &QAction::triggered, this, [this] { text_->cut(); });
    connect(copy, &QAction::triggered, this, [this] { text_->copy(); });
    connect(paste, &QAction::triggered, this, [this] { text_->paste(); });
    connect(undo, &QAction::triggered, this, [this] { text_->undo(); });
    connect(selectAll, &QAction::triggered, this, [this] { text_->selectAll(); });
}

QWidget* TfrmComposer::CreateFields() {
    auto* area = new QWidget(this);
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setVerticalSpacing(4);

    QPushButton* toButton = FieldButton("btnTo", "To:", area);
    to_ = new QComboBox(area);
    to_->setObjectName(QStringLiteral("eTo"));
    to_->setEditable(true);
    to_->setInsertPolicy(QComboBox::NoInsert);
    to_->setMaxVisibleItems(kCompletionRows);
    completions_ = new QStringListModel(this);
    completer_ = new QCompleter(completions_, this);
    completer_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer_->setMaxVisibleItems(kCompletionRows);
    to_->setCompleter(completer_);
    to_->lineEdit()->installEventFilter(this);
    connect(to_->lineEdit(), &QLineEdit::textEdited, this, &TfrmComposer::Complete);

    QPushButton* ccButton = FieldButton("btnCC", "CC:", area);
    cc_ = new QPlainTextEdit(area);
    cc_->setObjectName(QStringLiteral("eCC"));
    cc_->setTabChangesFocus(true);
    cc_->setFixedHeight(to_->sizeHint().height() * 2);

    fromRow_ = new QWidget(area);
    auto* fromLayout = new QHBoxLayout(fromRow_);
    fromLayout->setContentsMargins(0, 0, 0, 0);
    auto* fromLabel = new QLabel(QStringLiteral("From:"), fromRow_);
    fromLabel->setObjectName(QStringLiteral("lblFrom"));
    fromLabel->setMinimumWidth(80);
    from_ = new QComboBox(fromRow_);
    from_->setObjectName(QStringLiteral("cbFrom"));
    fromLayout->addWidget(fromLabel);
    fromLayout->addWidget(from_, 1);

    QPushButton* textButton = FieldButton("btnMessage", "Message:", area);
    text_ = new QPlainTextEdit(area);
    text_->setObjectName(QStringLiteral("RE"));
    connect(text_, &QPlainTextEdit::textChanged, this, &TfrmComposer::UpdateCounters);

    for (QPushButton* button : {toButton, ccButton, textButton}) {
        connect(button, &QPushButton::clicked, this, [this] {
            if (links_.numbers)
                links_.numbers(this);
        });
    }
    grid->addWidget(toButton, 0, 0);
    grid->addWidget(to_, 0, 1);
    grid->addWidget(ccButton, 1, 0, Qt::AlignTop);
    grid->addWidget(cc_, 1, 1);
    grid->addWidget(fromRow_, 2, 0, 1, 2);
    grid->addWidget(textButton, 3, 0, Qt::AlignTop);
    grid->addWidget(text_, 3, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
    return area;
}

void TfrmComposer::FillOperators() {
    from_->clear();
    for (const DeviceList::Device& device : engine_.Devices().All()) {
        if (device && device->IsLive())
            from_->addItem(QFromAnsi(device->operatorName));
    }
    if (from_->count() > 0)
        from_->setCurrentIndex(0);
}

void TfrmComposer::ShowFromRow() {
    fromRow_->setVisible(actViewOperator_->isChecked() && from_->count() > 0 &&
                         !from_->itemText(0).isEmpty());
}

void TfrmComposer::SetViewOperator(bool on) {
    actViewOperator_->setChecked(on);
    WritePluginSetting(settings::kComposerSection, settings::kComposerOperatorValue,
                       on ? "1" : "0");
    ShowFromRow();
}

void TfrmComposer::SetUnicode(bool on) {
    actUnicode_->setChecked(on);
    WritePluginSetting(settings::kUnicodeSection, settings::kComposerUnicodeValue, on ? "1" : "0");
    UpdateCounters();
}

bool TfrmComposer::Unicode() const {
    return actUnicode_->isChecked();
}

void TfrmComposer::showEvent(QShowEvent* event) {
    if (!translated_) {
        translated_ = true;
        TranslateWindow(this, "ComposerForm");
    }
    UpdateCounters();
    QMainWindow::showEvent(event);
}

void TfrmComposer::UpdateCounters() {
    // The question below runs an event loop; a change meanwhile waits for the next turn.
    if (updating_)
        return;
    updating_ = true;
    const std::u16string text = WithoutLineBreaks(Wide(text_->toPlainText()));
    if (HasWideChars(text)) {
        if (!Unicode() && !unicodeAsked_) {
            unicodeAsked_ = true;
            if (hooks_.ask(Tr(kUnicodeQuestion)))
                actUnicode_->setChecked(true);
        }
    } else {
        actUnicode_->setChecked(false);
    }
    const ComposerCounters counters = CountText(text, Unicode());
    panels_[0]->setText(Tr("Character") + QStringLiteral(": ") +
                        QString::number(counters.characters));
    panels_[1]->setText(QStringLiteral("SMS: ") + QString::number(counters.messages));
    panels_[2]->setText(Tr("Characters left") + QStringLiteral(": ") +
                        QString::number(counters.left));
    panels_[3]->setText(Tr("Creating SMS message"));
    updating_ = false;
}

bool TfrmComposer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == to_->lineEdit() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        lastKey_ = key->key();
        lastKeyText_ = key->text();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmComposer::Complete(const QString& typed) {
    // Deleting and the dot of a number do not ask for completions.
    if (lastKey_ == Qt::Key_Backspace || lastKeyText_ == QStringLiteral("."))
        return;
    std::vector<std::string> entries;
    engine_.AddressBook().CompleteEntries(QToAnsi(typed), entries);
    QStringList list;
    for (const std::string& entry : entries)
        list.append(QFromAnsi(entry));
    const int cursor = to_->lineEdit()->cursorPosition();
    to_->blockSignals(true);
    to_->clear();
    to_->addItems(list);
    to_->setCurrentIndex(-1);
    to_->setEditText(typed);
    to_->blockSignals(false);
    to_->lineEdit()->setCursorPosition(cursor);
    completions_->setStringList(list);
    if (!list.isEmpty())
        completer_->complete();
}

void TfrmComposer::SetRecipients(const QString& to, const QString& cc) {
    to_->setEditText(to);
    cc_->setPlainText(cc);
}

QString TfrmComposer::To() const {
    return to_->currentText();
}

QString TfrmComposer::Cc() const {
    return cc_->toPlainText();
}

void TfrmComposer::SetText(const QString& text, bool unicode) {
    if (unicode)
        actUnicode_->setChecked(true);
    text_->setPlainText(text);
}

QString TfrmComposer::Text() const {
    return text_->toPlainText();
}

void TfrmComposer::FocusText() {
    activateWindow();
    text_->setFocus();
}

void TfrmComposer::Send() {
    const Recipients recipients = ReadRecipients(QToAnsi(To()), QToAnsi(Cc()));
    for (const std::string& entry : recipients.rejected) {
        hooks_.tell(Tr(kInvalidRecipientText) + QStringLiteral(" \"") + QFromAnsi(entry) +
                    QStringLiteral("\""));
    }
    const std::u16string whole = Wide(text_->toPlainText());
    const bool unicode = Unicode() && HasWideChars(whole);
    const std::vector<std::string> pieces =
        unicode ? std::vector<std::string>{std::string(kUcs2Marker) + WideToHex(whole)}
                : TextPieces(WideToAnsi(whole));
    // The operator only when the "From:" row is shown (isHidden: also before the window is).
    const std::string operatorName =
        fromRow_->isHidden() ? std::string() : QToAnsi(from_->currentText());
    bool allQueued = true;
    TSmsQueue& outbox = engine_.Queue(SystemFolder::Outbox);
    for (const std::string& entry : recipients.taken) {
        for (const std::string& piece : pieces) {
            auto message = std::make_unique<TSms>(engine_.Sms());
            if (!operatorName.empty())
                message->operatorName = operatorName;
            message->SetFrom(entry);
            message->SetTo(entry);
            message->text = piece;
            allQueued = TSms::QueueForSending(std::move(message), outbox) && allQueued;
        }
    }
    if (recipients.taken.empty()) {
        hooks_.tell(Tr(kNoRecipientText));
        return;
    }
    // A message that could not be stored was told of; the text stays to be sent again.
    if (allQueued)
        close();
}

bool TfrmComposer::SaveTo(const QString& path) {
    const MessageFile file{QToAnsi(To()), QToAnsi(Cc()), Wide(Text())};
    if (WriteFileAtomically(QToAnsi(path), MessageFileText(file)))
        return true;
    hooks_.tell(Tr("Could not save file"));
    return false;
}

bool TfrmComposer::OpenFrom(const QString& path) {
    std::string content;
    if (!ReadWholeFile(QToAnsi(path), content)) {
        hooks_.tell(Tr("Could not open file"));
        return false;
    }
    const std::optional<MessageFile> file = ParseMessageFile(content);
    if (!file)
        return true;
    SetRecipients(QFromAnsi(file->to), QFromAnsi(file->cc));
    text_->setPlainText(QString::fromStdU16String(file->text));
    return true;
}

void TfrmComposer::SaveMessage() {
    QString path = hooks_.saveFileName(Tr("Save Message File"), MessageFileFilter());
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".msg");
    SaveTo(path);
}

void TfrmComposer::OpenMessage() {
    const QString path = hooks_.openFileName(Tr("Select Message File"), MessageFileFilter());
    if (!path.isEmpty())
        OpenFrom(path);
}

void TfrmComposer::PrintMessage() {
    const QString title =
        QStringLiteral("SMS Message ") + from_->currentText() + QStringLiteral(" -> ") + To();
    QPrinter printer;
    printer.setDocName(title);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QTextDocument document(Text());
    document.setMetaInformation(QTextDocument::DocumentTitle, title);
    document.print(&printer);
}

QAction* TfrmComposer::FindAction(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

}  // namespace nimbra::ui
