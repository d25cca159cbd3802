// The main window's message side: the preview of the selected row, following new messages,
// deleting and moving messages, the list's menu, export and print.
#include <algorithm>

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QTextDocument>
#include <QTreeView>

#include "atomicfile.h"
#include "csvexport.h"
#include "mainwindow.h"
#include "messagelistmodel.h"
#include "previewpane.h"
#include "qansi.h"
#include "windowtranslation.h"

namespace nimbra::ui {

std::vector<int> TNbsmForm::SelectedListIds() const {
    std::vector<int> rows;
    for (const QModelIndex& index : messageView_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<int> ids;
    for (int row : rows)
        ids.push_back(messageModel_->ListIdAt(row));
    return ids;
}

void TNbsmForm::MessageSelected() {
    const QModelIndex current = messageView_->currentIndex();
    const bool selected =
        current.isValid() && messageView_->selectionModel()->isRowSelected(current.row(), {});
    actDelete_->setEnabled(messageView_->selectionModel()->hasSelection());
    actPrint_->setEnabled(selected);
    actReply_->setEnabled(selected);
    actForward_->setEnabled(selected);
    if (!selected) {
        if (!messageView_->selectionModel()->hasSelection())
            ClearPreview();
        return;
    }
    const int listId = messageModel_->ListIdAt(current.row());
    // The same row again: the preview stays as it is.
    if (listId == previewedListId_)
        return;
    const TSms* message = messageModel_->MessageAt(current.row());
    if (!message)
        return;
    previewedListId_ = listId;
    preview_->Show(PreviewOf(*message, messageModel_->Outgoing(), &engine_.AddressBook()));
}

void TNbsmForm::ClearPreview() {
    previewedListId_ = -1;
    preview_->Clear();
    actPrint_->setEnabled(false);
    actReply_->setEnabled(false);
    actForward_->setEnabled(false);
    actDelete_->setEnabled(messageView_->selectionModel()->hasSelection());
}

void TNbsmForm::SelectRow(int row) {
    if (row < 0 || row >= messageModel_->rowCount())
        return;
    const QModelIndex index = messageModel_->index(row, kListPhone);
    messageView_->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    messageView_->scrollTo(index);
}

void TNbsmForm::RowsAdded(int, int last) {
    // The list is sorted again two seconds after the last addition.
    engine_.PostMessage(WindowMessage::RestartListSort);
    const QModelIndexList selected = messageView_->selectionModel()->selectedRows();
    if (selected.size() != 1)
        return;
    const int row = selected.first().row();
    if (row == rowsBeforeAddition_ - 1 || row == 0)
        SelectRow(last);
}

void TNbsmForm::SelectAll() {
    messageView_->selectAll();
}

void TNbsmForm::UnselectAll() {
    messageView_->clearSelection();
}

void TNbsmForm::SetProgress(bool visible, int maximum, int position, bool paintNow) {
    progress_->setVisible(visible);
    progress_->setRange(0, maximum);
    progress_->setValue(position);
    if (paintNow && progress_->isVisible())
        progress_->repaint();
}

int TNbsmForm::MoveMessages(const std::vector<int>& listIds, int target) {
    TqueueManager& queues = engine_.Queues();
    int moved = 0;
    int done = 0;
    SetProgress(true, static_cast<int>(listIds.size()), 0);
    for (int id : listIds) {
        const int row = queues.MessageList().RowOfListId(id);
        if (row >= 0 && queues.MoveRow(row, target))
            ++moved;
        SetProgress(true, static_cast<int>(listIds.size()), ++done, true);
    }
    SetProgress(false, 0, 0);
    engine_.SetStatus("status2", std::to_string(queues.MessageList().RowCount()));
    return moved;
}

void TNbsmForm::DeleteSelected() {
    const std::vector<int> ids = SelectedListIds();
    if (ids.empty())
        return;
    const int formerRow = messageModel_->RowOfListId(ids.front());
    TqueueManager& queues = engine_.Queues();
    if (queues.ShownIndex() == kTreeDeletedItems) {
        if (!hooks_.ask(Tr("The selected messages will be lost!") + QLatin1Char('\n') +
                        Tr("Are you sure you want to delete them?")))
            return;
        int done = 0;
        SetProgress(true, static_cast<int>(ids.size()), 0);
        for (int id : ids) {
            const int row = queues.MessageList().RowOfListId(id);
            if (row >= 0)
                queues.DeleteRow(row);
            SetProgress(true, static_cast<int>(ids.size()), ++done, true);
        }
        SetProgress(false, 0, 0);
        engine_.SetStatus("status2", std::to_string(queues.MessageList().RowCount()));
    } else {
        MoveMessages(ids, kTreeDeletedItems);
    }
    messageView_->clearSelection();
    ClearPreview();
    SelectRow(std::min(formerRow, messageModel_->rowCount() - 1));
}

void TNbsmForm::MessageMenu(const QPoint& position) {
    listMenu_->popup(messageView_->viewport()->mapToGlobal(position));
}

bool TNbsmForm::ExportTo(const QString& path) {
    std::string text = CsvLine(messageModel_->Titles());
    for (int row = 0; row < messageModel_->rowCount(); ++row)
        text += CsvLine(messageModel_->Cells(row));
    if (WriteFileAtomically(QToAnsi(path), text))
        return true;
    engine_.Sms().Notify(QToAnsi(Tr("Can't write to file:")) + "\r" + QToAnsi(path));
    return false;
}

void TNbsmForm::ExportMessages() {
    const QString csv = Tr("csv file") + QStringLiteral(" (*.csv)");
    const QString text = Tr("text file") + QStringLiteral(" (*.text)");
    QString filter = csv;
    QString path =
        hooks_.saveFileName(Tr("Export folder"), csv + QStringLiteral(";;") + text, filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += filter == text ? QStringLiteral(".text") : QStringLiteral(".csv");
    ExportTo(path);
}

void TNbsmForm::PrintMessage() {
    QPrinter printer;
    printer.setDocName(QStringLiteral("SMS"));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QTextDocument document(preview_->Text());
    document.setMetaInformation(QTextDocument::DocumentTitle, QStringLiteral("SMS"));
    document.print(&printer);
}

}  // namespace nimbra::ui
