#include "window_fixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "event_wait.h"
#include "file_text.h"
#include "foldertreemodel.h"
#include "messagelistmodel.h"

namespace nimbra::testing_support {

namespace {

// Waits for modal windows that have not come yet.
std::vector<QPointer<QTimer>>& Waiting() {
    static std::vector<QPointer<QTimer>> waiting;
    return waiting;
}

}  // namespace

void OnNextModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    Waiting().emplace_back(timer);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, tries] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && ++*tries < 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (modal)
            act(modal);
    });
    timer->start(10);
}

void DropModalWaits() {
    for (const QPointer<QTimer>& timer : Waiting())
        delete timer.data();
    Waiting().clear();
}

void AnswerNextBox(int button) {
    OnNextModal([button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr) << "a message box was expected";
        box->button(static_cast<QMessageBox::StandardButton>(button))->click();
    });
}

std::vector<std::string> ListEntries(const QListWidget* list) {
    std::vector<std::string> entries;
    for (int row = 0; row < list->count(); ++row)
        entries.push_back(list->item(row)->text().toStdString());
    return entries;
}

void SelectEntry(QListWidget* list, const std::string& entry) {
    const auto found = list->findItems(QString::fromStdString(entry), Qt::MatchExactly);
    ASSERT_FALSE(found.isEmpty()) << entry;
    list->setCurrentItem(found.front());
}

void WindowTest::SetUp() {
    WriteOption("eInstalledNumber", "0");
    testing_support::WriteFileText(home / "Languages.txt", "English\r\nGerman\r\n");
}

void WindowTest::TearDown() {
    // A wait left over would answer a window of the next test.
    for (const QPointer<QTimer>& timer : Waiting()) {
        if (timer && timer->isActive()) {
            ADD_FAILURE() << "a modal window was expected and never came";
            delete timer.data();
        }
    }
    Waiting().clear();
    window.reset();
}

void WindowTest::Open(ui::WindowHooks hooks) {
    if (!engine)
        StartEngine();
    hooks.openUrl = [this](const QUrl& page) { opened.push_back(page); };
    if (!hooks.trayAvailable)
        hooks.trayAvailable = [this] { return trayAvailable; };
    window = std::make_unique<ui::TNbsmForm>(*engine, hooks);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}

void WindowTest::AddMessage(SystemFolder folder, const std::string& from, const std::string& to,
                            const std::string& text, const std::string& received) {
    auto message = std::make_unique<TSms>(engine->Sms());
    message->from = from;
    message->to = to;
    message->text = text;
    message->receivedTime = received;
    message->sentTime = received;
    engine->Queue(folder).Add(std::move(message));
}

void WindowTest::WriteMessage(const std::string& folder, const std::string& from,
                              const std::string& text) {
    TSmsQueue writer(engine->Store(), engine->PathOf(folder), QueueFlags{});
    auto message = std::make_unique<TSms>(engine->Sms());
    message->from = from;
    message->to = "+36201234567";
    message->text = text;
    writer.Add(std::move(message), false);
}

QModelIndex WindowTest::TreeIndex(int treeIndex) const {
    return window->FolderModel()->IndexOf(engine->Folders().Tree().NodeAt(treeIndex));
}

void WindowTest::SelectFolder(const TFolderNode* node) {
    QTreeView* tree = window->FolderView();
    const QModelIndex index = window->FolderModel()->IndexOf(node);
    ASSERT_TRUE(index.isValid());
    tree->scrollTo(index);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
    ASSERT_EQ(tree->currentIndex(), index);
    ASSERT_TRUE(ProcessEventsUntil([this] { return !window->ReadingFolder(); }, 20000));
}

void WindowTest::SelectFolder(int treeIndex) {
    SelectFolder(engine->Folders().Tree().NodeAt(treeIndex));
}

void WindowTest::ClickRow(int row, Qt::KeyboardModifiers modifiers) {
    QTreeView* list = window->MessageView();
    const QModelIndex index = window->MessageModel()->index(row, ui::kListMessage);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                      list->visualRect(index).center());
}

std::vector<std::string> WindowTest::ShownTexts() const {
    std::vector<std::string> texts;
    const ui::MessageListModel* model = window->MessageModel();
    for (int row = 0; row < model->rowCount(); ++row)
        texts.push_back(model->index(row, ui::kListMessage).data().toString().toStdString());
    return texts;
}

int WindowTest::Rows() const {
    return window->MessageModel()->rowCount();
}

ManualTimer* WindowTest::ListSortTimer() const {
    for (ManualTimer* timer : host.timers) {
        if (timer->IsActive() && timer->Interval() == kListSortDelayMs)
            return timer;
    }
    return nullptr;
}

}  // namespace nimbra::testing_support
