#include "unModerator.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "event_wait.h"
#include "settingsstore.h"
#include "temp_dir.h"
#include "unBillboardDisplay.h"
#include "unGSMSMS.h"
#include "wall_fixture.h"

namespace nimbra {
namespace {

using testing_support::kPageTimeoutMs;
using testing_support::LoadPage;
using testing_support::ProcessEventsUntil;
using testing_support::RunScript;
using testing_support::ScopedSettingsDir;
using testing_support::WallHome;
using testing_support::WallText;

constexpr long long kStart = 1700000000;

// The Moderate window over a wall with the shipped page, stepped by the test on its own clock.
struct ModerateWindow {
    ModerateWindow() : window(display, {[this] { return now; }, 0}) {}

    template <typename T>
    T* Find(const char* name) const {
        return window.findChild<T*>(QString::fromLatin1(name));
    }
    QStringList Lines(const char* list) const {
        QStringList lines;
        const auto* view = Find<QListWidget>(list);
        for (int i = 0; i < view->count(); ++i)
            lines << view->item(i)->text();
        return lines;
    }
    // One step, waiting for the page's part of it.
    void Step() {
        QSignalSpy ended(&window, &TfrmModerate::stepEnded);
        window.Step();
        ASSERT_TRUE(ProcessEventsUntil([&] { return !ended.isEmpty(); }, kPageTimeoutMs));
    }
    void Receive(const std::string& record) {
        TGsmSms sms;
        sms.FromText(record);
        window.AddMessage(sms);
    }

    ScopedSettingsDir settings;
    long long now = kStart;
    TfrmDisplay display;
    TfrmModerate window;
};

TEST(ModerateWindow, ManualEntryJoinsTheInboxInItsTextForm) {
    ModerateWindow m;
    auto* phone = m.Find<QLineEdit>("ePhone");
    auto* text = m.Find<QLineEdit>("eText");
    phone->setText(QStringLiteral("+36 1 {x}"));
    text->clear();
    QTest::keyClicks(text, QStringLiteral("a {b} \\c "));
    QTest::keyClick(text, Qt::Key_Return);
    m.now += 5;
    QTest::mouseClick(m.Find<QPushButton>("bAdd"), Qt::LeftButton);
    EXPECT_EQ(m.Lines("qInbox"),
              (QStringList{QStringLiteral("{+36 1 {x}}{a \\{b\\} \\\\c}{1700000000}"),
                           QStringLiteral("{+36 1 {x}}{a \\{b\\} \\\\c}{1700000005}")}));
}

TEST(ModerateWindow, TimesComeFromTheSettingsAndAreKeptAtEveryChange) {
    ScopedSettingsDir settings;
    WritePluginSetting(kBillboardSection, "eInboxTime", "3");
    TfrmDisplay display;
    TfrmModerate window(display, {[] { return kStart; }, 0});
    auto* inboxTime = window.findChild<QLineEdit*>(QStringLiteral("eInboxTime"));
    auto* displayTime = window.findChild<QLineEdit*>(QStringLiteral("eDisplayTime"));
    EXPECT_EQ(inboxTime->text(), QStringLiteral("3"));
    EXPECT_EQ(displayTime->text(), QStringLiteral("6"));
    displayTime->clear();
    QTest::keyClicks(displayTime, QStringLiteral("12"));
    EXPECT_EQ(ReadPluginSetting(kBillboardSection, "eDisplayTime", ""), "12");
}

TEST(ModerateWindow, IncomingMessagesPassTheListsOntoThePage) {
    WallHome home;
    ModerateWindow m;
    ASSERT_TRUE(LoadPage(m.display, home.TemplatePath()));
    m.Receive("{GSMSMS}{}{+3630999}{+3620111}{_UCS2_004100420043}{}{}{}{}{}{}{}{}");
    m.Receive("{GSMSMS}{}{+3630888}{+3620111}{\\{braces\\} and \\\\}{}{}{}{}{}{}{}{}");
    EXPECT_EQ(m.Lines("qInbox"),
              (QStringList{QStringLiteral("{+3630999}{ABC}{1700000000}"),
                           QStringLiteral("{+3630888}{\\{braces\\} and \\\\}{1700000000}")}));
    m.now += 8;
    m.Step();
    EXPECT_EQ(m.Lines("qInbox").size(), 2);
    EXPECT_EQ(WallText(m.display), QString());
    m.now += 1;
    m.Step();
    EXPECT_TRUE(m.Lines("qInbox").isEmpty());
    EXPECT_EQ(m.Lines("qDisplay"),
              QStringList{QStringLiteral("{+3630888}{\\{braces\\} and \\\\}{1700000000}")});
    EXPECT_EQ(WallText(m.display), QStringLiteral("ABC"));
    // The page still shows the first message: the second waits however long it takes.
    m.now += 60;
    m.Step();
    EXPECT_EQ(m.Lines("qDisplay").size(), 1);
    RunScript(m.display, QStringLiteral("document.forms.scroller.elements.message.value = ''"));
    m.Step();
    EXPECT_TRUE(m.Lines("qDisplay").isEmpty());
    EXPECT_EQ(WallText(m.display), QStringLiteral("{braces} and \\"));
}

TEST(ModerateWindow, DeletedEntriesLeaveTheirListAndNeverReachThePage) {
    WallHome home;
    ModerateWindow m;
    ASSERT_TRUE(LoadPage(m.display, home.TemplatePath()));
    QSignalSpy put(&m.display, &TfrmDisplay::messagePut);
    for (const char* text : {"one", "two", "three", "four"})
        m.Receive(std::string("{GSMSMS}{}{+3630}{+3620}{") + text + "}{}{}{}{}{}{}{}{}");
    auto* inbox = m.Find<QListWidget>("qInbox");
    inbox->item(1)->setSelected(true);
    inbox->item(2)->setSelected(true);
    QTest::mouseClick(m.Find<QPushButton>("bDeleteInbox"), Qt::LeftButton);
    ASSERT_EQ(m.Lines("qInbox").size(), 2);
    EXPECT_TRUE(m.Lines("qInbox").filter(QStringLiteral("two")).isEmpty());
    EXPECT_TRUE(m.Lines("qInbox").filter(QStringLiteral("three")).isEmpty());
    m.now += 9;
    m.Step();
    ASSERT_EQ(m.Lines("qDisplay").size(), 1);
    m.Find<QListWidget>("qDisplay")->item(0)->setSelected(true);
    QTest::mouseClick(m.Find<QPushButton>("bDeleteDisplay"), Qt::LeftButton);
    EXPECT_TRUE(m.Lines("qDisplay").isEmpty());
    for (int i = 0; i < 3; ++i) {
        m.now += 30;
        RunScript(m.display, QStringLiteral("document.forms.scroller.elements.message.value = ''"));
        m.Step();
    }
    ASSERT_EQ(put.size(), 1);
    EXPECT_EQ(put[0][1].toString(), QStringLiteral("one"));
}

TEST(ModerateWindow, PresentationButtonsMoveTheWall) {
    ModerateWindow m;
    QTest::mouseClick(m.Find<QPushButton>("bShow"), Qt::LeftButton);
    EXPECT_TRUE(m.display.isVisible());
    EXPECT_EQ(m.display.geometry(), m.window.screen()->geometry());
    QTest::mouseClick(m.Find<QPushButton>("bHide"), Qt::LeftButton);
    EXPECT_FALSE(m.display.isVisible());
    EXPECT_EQ(m.display.geometry(), QRect(50, 50, 500, 400));
    QTest::mouseClick(m.Find<QPushButton>("bPreview"), Qt::LeftButton);
    EXPECT_TRUE(m.display.isVisible());
    EXPECT_EQ(m.display.size(), QSize(500, 400));
}

TEST(ModerateWindow, ClosingOnlyHidesItAndTheStepsGoOn) {
    WallHome home;
    ScopedSettingsDir settings;
    long long now = kStart;
    TfrmDisplay display;
    ASSERT_TRUE(LoadPage(display, home.TemplatePath()));
    TfrmModerate window(display, {[&now] { return now; }, 20});
    window.show();
    window.close();
    EXPECT_FALSE(window.isVisible());
    QSignalSpy put(&display, &TfrmDisplay::messagePut);
    window.AddItem({"+3620", u"on its own", now});
    now += 9;
    EXPECT_TRUE(ProcessEventsUntil([&] { return !put.isEmpty(); }, kPageTimeoutMs));
    EXPECT_EQ(WallText(display), QStringLiteral("on its own"));
}

}  // namespace
}  // namespace nimbra
