// The main window's ways into the composer and the address book: "Create SMS", Reply,
// Forward, "Numbers" and the contact editor behind the preview's "From:" and "To:".
#include <QAction>
#include <QTreeView>

#include "addressbookform.h"
#include "composer.h"
#include "composerlogic.h"
#include "mainwindow.h"
#include "messagelistmodel.h"
#include "previewpane.h"
#include "qansi.h"
#include "unStrings.h"

namespace nimbra::ui {
namespace {

// A stored text as the composer takes it: a "_UCS2_" text decoded.
QString ComposerText(const std::string& text, bool& unicode) {
    unicode = text.starts_with(kUcs2Marker);
    if (!unicode)
        return QFromAnsi(text);
    return QString::fromStdU16String(HexToWide(std::string_view(text).substr(kUcs2Marker.size())));
}

}  // namespace

TfrmComposer* TNbsmForm::NewComposer() {
    ComposerLinks links;
    links.newComposer = [this] { CreateMessage(); };
    links.numbers = [this](TfrmComposer* composer) { addressbook_->ShowTiedTo(composer); };
    ComposerHooks hooks;
    hooks.ask = givenHooks_.ask;
    hooks.tell = givenHooks_.tell;
    hooks.openFileName = givenHooks_.openFileName;
    if (givenHooks_.saveFileName) {
        hooks.saveFileName = [this](const QString& title, const QString& filter) {
            QString chosen = filter;
            return givenHooks_.saveFileName(title, filter, chosen);
        };
    }
    return new TfrmComposer(engine_, std::move(links), std::move(hooks), this);
}

void TNbsmForm::CreateMessage() {
    TfrmComposer* composer = NewComposer();
    composer->show();
    composer->raise();
    composer->activateWindow();
}

void TNbsmForm::ShowNumbers() {
    addressbook_->ShowWindow();
}

void TNbsmForm::Respond(int icon, bool toOriginator) {
    const QModelIndex current = messageView_->currentIndex();
    if (!current.isValid())
        return;
    TSms* message = messageModel_->MessageAt(current.row());
    if (!message)
        return;
    message->iconIndex = icon;
    if (!message->path.empty())
        message->Save(message->path);
    engine_.Queues().MessageList().Changed(message->listId);

    const std::string address =
        toOriginator ? message->from : engine_.AddressBook().DisplayName(message->to);
    bool unicode = false;
    const QString text = ComposerText(message->text, unicode);
    TfrmComposer* composer = NewComposer();
    composer->SetRecipients(QFromAnsi(address), QString());
    composer->SetText(text, unicode);
    composer->show();
    composer->raise();
    composer->FocusText();
}

void TNbsmForm::Reply() {
    Respond(kIconRepliedTo, true);
}

void TNbsmForm::Forward() {
    Respond(kIconForwarded, false);
}

void TNbsmForm::EditPreviewContact(bool from) {
    const QString shown = from ? preview_->From() : preview_->To();
    if (shown.isEmpty())
        return;
    const std::string before = NormalizePhoneNumber(QToAnsi(shown));
    const std::string entry = addressbook_->EditContactFor(QToAnsi(shown));
    if (from)
        preview_->SetFrom(QFromAnsi(entry));
    else
        preview_->SetTo(QFromAnsi(entry));

    const bool outgoing = messageModel_->Outgoing();
    const QModelIndex current = messageView_->currentIndex();
    if (const TSms* message = current.isValid() ? messageModel_->MessageAt(current.row()) : nullptr)
        preview_->SetNote(
            QFromAnsi(engine_.AddressBook().NoteOf(outgoing ? message->to : message->from)));
    // The number column shows the originator outside the outgoing folders, the destination
    // in them: its cells of the same number show the new name.
    if (from == outgoing || before.empty())
        return;
    for (int row = 0; row < messageModel_->rowCount(); ++row) {
        TSms* message = messageModel_->MessageAt(row);
        if (!message)
            continue;
        std::string& address = outgoing ? message->to : message->from;
        if (NormalizePhoneNumber(address) == before && address != entry) {
            address = entry;
            engine_.Queues().MessageList().Changed(message->listId);
        }
    }
}

}  // namespace nimbra::ui
