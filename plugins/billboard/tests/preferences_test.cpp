#include "unPreferences.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "settingsstore.h"
#include "temp_dir.h"
#include "unModerator.h"

namespace nimbra {
namespace {

using testing_support::ScopedSettingsDir;

const QString kEngineDir = QStringLiteral("/opt/nimbra/");

QLineEdit* TemplateField(TfrmPreferences& window) {
    return window.findChild<QLineEdit*>(QStringLiteral("eHTML"));
}

TEST(Preferences, DefaultTemplateIsTheOneInTheEnginesFolder) {
    ScopedSettingsDir settings;
    TfrmPreferences window(kEngineDir);
    EXPECT_EQ(window.TemplatePath(), QStringLiteral("/opt/nimbra/Billboard/index.html"));
    // A stored default is completed the same way.
    WritePluginSetting(kBillboardSection, "eHTML", kDefaultTemplate);
    EXPECT_EQ(TfrmPreferences(kEngineDir).TemplatePath(),
              QStringLiteral("/opt/nimbra/Billboard/index.html"));
}

TEST(Preferences, OkKeepsATemplateElsewhereWithItsFullPath) {
    ScopedSettingsDir settings;
    {
        TfrmPreferences window(kEngineDir);
        window.show();
        TemplateField(window)->setText(QStringLiteral("/srv/venue/wall.html"));
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("bOK")), Qt::LeftButton);
        EXPECT_FALSE(window.isVisible());
    }
    EXPECT_EQ(ReadPluginSetting(kBillboardSection, "eHTML", ""), "/srv/venue/wall.html");
    EXPECT_EQ(TfrmPreferences(QStringLiteral("/elsewhere/")).TemplatePath(),
              QStringLiteral("/srv/venue/wall.html"));
}

TEST(Preferences, CancelForgetsWhatWasTyped) {
    ScopedSettingsDir settings;
    TfrmPreferences window(kEngineDir);
    window.show();
    TemplateField(window)->setText(QStringLiteral("/tmp/half typed"));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("bCancel")), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.TemplatePath(), QStringLiteral("/opt/nimbra/Billboard/index.html"));
    EXPECT_EQ(ReadPluginSetting(kBillboardSection, "eHTML", "<none>"), "<none>");
}

}  // namespace
}  // namespace nimbra
