#include "unBillboardDisplay.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "event_wait.h"
#include "wall_fixture.h"

namespace nimbra {
namespace {

using testing_support::ConsoleRecorder;
using testing_support::kPageTimeoutMs;
using testing_support::LoadPage;
using testing_support::ProcessEventsUntil;
using testing_support::RunScript;
using testing_support::WallHome;
using testing_support::WallText;

constexpr Qt::WindowFlags kWallFlags = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

QString Words(TfrmDisplay& display) {
    return RunScript(display, QStringLiteral("document.getElementById('words').textContent"))
        .toString();
}

TEST(WallPage, LoadsWithoutConsoleLinesAndShowsTheNumberToTextTo) {
    WallHome home;
    TfrmDisplay display;
    ConsoleRecorder console(display);
    ASSERT_TRUE(LoadPage(display, home.TemplatePath()));
    EXPECT_TRUE(ProcessEventsUntil(
        [&] {
            return RunScript(display, QStringLiteral("document.getElementById('number')"
                                                     ".textContent")) ==
                   QStringLiteral("+36 201234567");
        },
        kPageTimeoutMs));
    EXPECT_EQ(WallText(display), QString()) << "a fresh wall is free";
    EXPECT_EQ(RunScript(display, QStringLiteral("document.body.style.overflowX + ' ' + "
                                                "document.body.style.overflowY")),
              QStringLiteral("hidden hidden"));
    EXPECT_TRUE(console.lines().empty()) << console.Text().toStdString();
}

TEST(WallPage, WithoutPhoneNumFileInvitesWithoutANumber) {
    WallHome home("");
    TfrmDisplay display;
    ConsoleRecorder console(display);
    ASSERT_TRUE(LoadPage(display, home.TemplatePath()));
    EXPECT_EQ(RunScript(display, QStringLiteral("document.getElementById('number').textContent")),
              QString());
    EXPECT_EQ(WallText(display), QString());
    for (const auto& line : console.lines())
        EXPECT_EQ(line.text.indexOf(QStringLiteral("Uncaught")), -1) << line.text.toStdString();
}

TEST(WallPage, MessagesReachThePageExactly) {
    WallHome home;
    TfrmDisplay display;
    ConsoleRecorder console(display);
    ASSERT_TRUE(LoadPage(display, home.TemplatePath()));
    const QString texts[] = {
        QStringLiteral("{GSMSMS}{}{1} \\ \\\\ \\n }{"),
        QStringLiteral("quotes ' \" ` and </script><b>tags</b>"),
        QStringLiteral("two\nlines\r\nand a tab\t"),
        QString::fromUtf8(
            "\xc3\xa1rv\xc3\xadzt\xc5\xb1r\xc5\x91 \xe2\x82\xac \xe4\xbd\xa0\xe5\xa5\xbd "
            "\xf0\x9f\x98\x80 \xe2\x80\xa8 end"),
        QStringLiteral("${1+1} %s %% &amp;"),
    };
    for (const QString& text : texts) {
        display.PutMessage(QStringLiteral("+36 30 999 {1}"), text);
        EXPECT_EQ(WallText(display), text);
        EXPECT_EQ(
            RunScript(display, QStringLiteral("document.forms.scroller.elements.phonenum.value")),
            QStringLiteral("+36 30 999 {1}"));
        EXPECT_TRUE(ProcessEventsUntil([&] { return Words(display) == text; }, kPageTimeoutMs))
            << text.toStdString() << " shows " << Words(display).toStdString();
    }
    EXPECT_TRUE(console.lines().empty()) << console.Text().toStdString();
}

TEST(WallPage, ClearsTheMessageAfterItsShowTime) {
    WallHome home;
    TfrmDisplay display;
    ConsoleRecorder console(display);
    ASSERT_TRUE(LoadPage(display, home.TemplatePath()));
    RunScript(display, QStringLiteral("document.body.dataset.showSeconds = '1'"));
    display.PutMessage(QStringLiteral("+3620"), QStringLiteral("short visit"));
    EXPECT_TRUE(ProcessEventsUntil([&] { return Words(display) == QStringLiteral("short visit"); },
                                   kPageTimeoutMs));
    EXPECT_TRUE(ProcessEventsUntil([&] { return WallText(display).isEmpty(); }, kPageTimeoutMs))
        << "the page frees the wall";
    EXPECT_EQ(Words(display), QStringLiteral("Your message could be here"));
    EXPECT_TRUE(console.lines().empty()) << console.Text().toStdString();
}

TEST(WallPage, PageWithoutTheFormIsUnreadableAndTakesNothing) {
    WallHome home;
    TfrmDisplay display;
    ConsoleRecorder console(display);
    EXPECT_EQ(WallText(display), QStringLiteral("__nb__exception")) << "nothing loaded yet";
    const auto other = home.Write("other.html",
                                  "<html><body><form name=\"x\">"
                                  "<input name=\"message\" value=\"v\"></form>"
                                  "</body></html>");
    ASSERT_TRUE(LoadPage(display, other));
    EXPECT_EQ(WallText(display), QStringLiteral("__nb__exception"));
    display.PutMessage(QStringLiteral("1"), QStringLiteral("lost"));
    EXPECT_EQ(RunScript(display, QStringLiteral("document.forms.x.elements.message.value")),
              QStringLiteral("v"));
    EXPECT_TRUE(console.lines().empty()) << console.Text().toStdString();
}

TEST(WallPage, MissingTemplateLoadsNothing) {
    WallHome home;
    TfrmDisplay display;
    QSignalSpy loaded(&display, &TfrmDisplay::pageLoaded);
    EXPECT_FALSE(LoadPage(display, home.TemplatePath().parent_path() / "missing.html"));
    display.SetTemplateSource({});
    EXPECT_FALSE(display.LoadTemplate());
    EXPECT_TRUE(loaded.isEmpty());
}

TEST(DisplayWindow, ShowingItLoadsTheTemplate) {
    WallHome home;
    TfrmDisplay display;
    QSignalSpy loaded(&display, &TfrmDisplay::pageLoaded);
    display.SetTemplateSource(
        [&home] { return QString::fromStdString(home.TemplatePath().string()); });
    display.Preview(QGuiApplication::primaryScreen());
    EXPECT_TRUE(ProcessEventsUntil([&] { return !loaded.isEmpty(); }, kPageTimeoutMs));
    EXPECT_EQ(WallText(display), QString());
}

TEST(DisplayWindow, ShowCoversTheMonitorAndHideMakesItANormalWindowAgain) {
    QScreen* screen = QGuiApplication::primaryScreen();
    WallHome home;
    TfrmDisplay display;
    display.SetTemplateSource(
        [&home] { return QString::fromStdString(home.TemplatePath().string()); });
    EXPECT_EQ(display.size(), QSize(496, 323));
    EXPECT_EQ(display.geometry().center(), screen->availableGeometry().center());

    display.ShowOn(screen);
    EXPECT_TRUE(display.isVisible());
    EXPECT_EQ(display.windowFlags() & kWallFlags, kWallFlags);
    EXPECT_EQ(display.geometry(), screen->geometry());

    display.HideWall();
    EXPECT_FALSE(display.isVisible());
    EXPECT_EQ(display.windowFlags() & kWallFlags, Qt::WindowFlags());
    EXPECT_EQ(display.geometry(), QRect(50, 50, 500, 400));

    display.Preview(screen);
    EXPECT_TRUE(display.isVisible());
    EXPECT_EQ(display.windowFlags() & kWallFlags, Qt::WindowFlags());
    EXPECT_EQ(display.geometry().center(), screen->availableGeometry().center());
    EXPECT_EQ(display.size(), QSize(500, 400));
    display.ShowOn(screen);
    display.Preview(screen);
    EXPECT_EQ(display.windowFlags() & kWallFlags, Qt::WindowFlags());
    EXPECT_EQ(display.size(), QSize(500, 400)) << "from the full screen back to a window";
    // The browser comes through the changes of window with its page (once it has loaded the
    // page again).
    EXPECT_TRUE(ProcessEventsUntil(
        [&] {
            display.PutMessage(QStringLiteral("+3620"), QStringLiteral("still here"));
            return WallText(display) == QStringLiteral("still here");
        },
        kPageTimeoutMs));
}

TEST(DisplayWindow, ClosingTheFullScreenWallRestoresTheNormalWindow) {
    QScreen* screen = QGuiApplication::primaryScreen();
    TfrmDisplay display;
    display.ShowOn(screen);
    ASSERT_EQ(display.geometry(), screen->geometry());
    display.close();
    EXPECT_TRUE(ProcessEventsUntil(
        [&] {
            return !(display.windowFlags() & kWallFlags) &&
                   display.geometry() == QRect(50, 50, 500, 400);
        },
        kPageTimeoutMs));
    EXPECT_FALSE(display.isVisible());
}

}  // namespace
}  // namespace nimbra
