#include "controlstate.h"

#include <functional>
#include <string>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include <gtest/gtest.h>

#include "qansi.h"
#include "radiogroup.h"
#include "recording_notifier.h"
#include "settingsstore.h"
#include "temp_dir.h"

namespace nimbra {
namespace {

using testing_support::ScopedProcessNotifier;
using testing_support::ScopedSettingsDir;

constexpr const char* kSection = "TestWindow";

template <typename T>
T* Named(QWidget* parent, const char* name) {
    auto* widget = new T(parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

std::string Stored(const char* name) {
    return ReadPluginSetting(kSection, name, "<missing>");
}

// A settings window as the programs build them: controls directly on the window, inside a
// group box and on the pages of a tab widget.
struct SettingsWindow {
    SettingsWindow() {
        edit = Named<QLineEdit>(&window, "eHost");
        auto* group = Named<QGroupBox>(&window, "gbOptions");
        check = Named<QCheckBox>(group, "cbLog");
        radio = Named<QRadioButton>(group, "rbFast");
        auto* tabs = Named<QTabWidget>(&window, "pcPages");
        auto* page = Named<QWidget>(nullptr, "tsFirst");
        tabs->addTab(page, QStringLiteral("First"));
        combo = Named<QComboBox>(page, "cbMode");
        combo->addItems({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
        memo = Named<QPlainTextEdit>(page, "mNotes");
        list = Named<QListWidget>(page, "lbPlugins");
        radios = Named<RadioGroup>(page, "rgBind");
        radios->setItems({QStringLiteral("tx"), QStringLiteral("rx"), QStringLiteral("trx")});
        radios->setItemIndex(0);
        unnamed = new QLineEdit(&window);
        spin = Named<QSpinBox>(&window, "seCount");
        after = Named<QLineEdit>(&window, "eAfter");
    }

    QDialog window;
    QLineEdit* edit;
    QCheckBox* check;
    QRadioButton* radio;
    QComboBox* combo;
    QPlainTextEdit* memo;
    QListWidget* list;
    RadioGroup* radios;
    QLineEdit* unnamed;
    QSpinBox* spin;
    QLineEdit* after;
};

class ControlStateTest : public testing::Test {
protected:
    ScopedSettingsDir dir_;
    ScopedProcessNotifier notifier_;
};

TEST_F(ControlStateTest, AWindowIsSavedControlByControlAndRestored) {
    SettingsWindow saved;
    saved.edit->setText(QStringLiteral("smsc.example.net"));
    saved.check->setChecked(true);
    saved.radio->setChecked(false);
    saved.combo->setCurrentIndex(2);
    saved.memo->setPlainText(QStringLiteral("first\nsecond"));
    saved.list->addItems({QStringLiteral("a"), QStringLiteral("b")});
    saved.radios->setItemIndex(2);
    saved.unnamed->setText(QStringLiteral("not stored"));
    saved.after->setText(QStringLiteral("last"));
    SaveWindow(kSection, &saved.window);

    EXPECT_EQ(Stored("eHost"), "smsc.example.net");
    EXPECT_EQ(Stored("cbLog"), "1");
    EXPECT_EQ(Stored("rbFast"), "0");
    EXPECT_EQ(Stored("cbMode"), "three");
    EXPECT_EQ(Stored("mNotes"), "first\r\nsecond");
    EXPECT_EQ(Stored("lbPlugins"), "a\r\nb");
    EXPECT_EQ(Stored("rgBind"), "2");
    EXPECT_EQ(Stored("eAfter"), "last");
    // Qt's own parts of a control are not controls of the window.
    EXPECT_EQ(Stored("qt_spinbox_lineedit"), "<missing>");

    SettingsWindow loaded;
    loaded.radio->setChecked(true);
    QString error;
    ASSERT_TRUE(LoadWindow(kSection, &loaded.window, &error)) << error.toStdString();
    EXPECT_EQ(loaded.edit->text(), QStringLiteral("smsc.example.net"));
    EXPECT_TRUE(loaded.check->isChecked());
    EXPECT_FALSE(loaded.radio->isChecked());
    EXPECT_EQ(loaded.combo->currentIndex(), 2);
    EXPECT_EQ(loaded.memo->toPlainText(), QStringLiteral("first\nsecond"));
    ASSERT_EQ(loaded.list->count(), 2);
    EXPECT_EQ(loaded.list->item(0)->text(), QStringLiteral("a"));
    EXPECT_EQ(loaded.list->item(1)->text(), QStringLiteral("b"));
    EXPECT_EQ(loaded.radios->itemIndex(), 2);
    EXPECT_EQ(loaded.unnamed->text(), QString());
    EXPECT_EQ(loaded.after->text(), QStringLiteral("last"));
}

TEST_F(ControlStateTest, RadioButtonsOfOneGroupAndDialogsOfTheWindow) {
    QDialog window;
    auto* first = Named<QRadioButton>(&window, "rbFirst");
    auto* second = Named<QRadioButton>(&window, "rbSecond");
    first->setChecked(true);
    auto* dialog = Named<QDialog>(&window, "PreferencesForm");
    Named<QLineEdit>(dialog, "eInDialog")->setText(QStringLiteral("x"));
    SaveWindow(kSection, &window);
    EXPECT_EQ(Stored("rbFirst"), "1");
    EXPECT_EQ(Stored("rbSecond"), "0");
    EXPECT_EQ(Stored("eInDialog"), "<missing>");

    second->setChecked(true);
    ASSERT_TRUE(LoadWindow(kSection, &window));
    EXPECT_TRUE(first->isChecked());
    EXPECT_FALSE(second->isChecked());
}

TEST_F(ControlStateTest, AnEmptyStoreLeavesTheDesignValues) {
    SettingsWindow window;
    window.edit->setText(QStringLiteral("design"));
    window.check->setChecked(true);
    window.list->addItems({QStringLiteral("x")});
    window.combo->setCurrentIndex(1);
    ASSERT_TRUE(LoadWindow(kSection, &window.window));
    EXPECT_EQ(window.edit->text(), QStringLiteral("design"));
    EXPECT_TRUE(window.check->isChecked());
    EXPECT_EQ(window.list->count(), 1);
    EXPECT_EQ(window.combo->currentIndex(), 1);
    EXPECT_EQ(window.radios->itemIndex(), 0);
}

TEST_F(ControlStateTest, OnlyOneMeansChecked) {
    QCheckBox box;
    box.setObjectName(QStringLiteral("cbFlag"));
    for (const char* value : {"0", "yes", "true", "", " 1", "2"}) {
        SCOPED_TRACE(value);
        box.setChecked(true);
        WritePluginSetting(kSection, "cbFlag", value);
        LoadControl(kSection, static_cast<QAbstractButton*>(&box));
        EXPECT_FALSE(box.isChecked());
    }
    WritePluginSetting(kSection, "cbFlag", "1");
    LoadControl(kSection, static_cast<QAbstractButton*>(&box));
    EXPECT_TRUE(box.isChecked());
}

TEST_F(ControlStateTest, ACheckBoxWithAnExplicitDefault) {
    QCheckBox box;
    box.setObjectName(QStringLiteral("cbAutoSort"));
    box.setChecked(false);
    EXPECT_TRUE(LoadCheckBox(kSection, &box, true));
    EXPECT_TRUE(box.isChecked());
    WritePluginSetting(kSection, "cbAutoSort", "0");
    EXPECT_FALSE(LoadCheckBox(kSection, &box, true));
}

TEST_F(ControlStateTest, CheckableActions) {
    QAction action(QStringLiteral("Operator"));
    action.setObjectName(QStringLiteral("tbOperator"));
    action.setCheckable(true);
    action.setChecked(true);
    SaveControl("Composer", &action);
    EXPECT_EQ(ReadPluginSetting("Composer", "tbOperator", ""), "1");
    action.setChecked(false);
    LoadControl("Composer", &action);
    EXPECT_TRUE(action.isChecked());
}

TEST_F(ControlStateTest, ListLinesSurviveWithAnyLineBreak) {
    QListWidget list;
    list.setObjectName(QStringLiteral("lbItems"));
    WritePluginSetting(kSection, "lbItems", "a\r\nb\nc\rd");
    LoadControl(kSection, &list);
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.item(3)->text(), QStringLiteral("d"));
    WritePluginSetting(kSection, "lbItems", "");
    LoadControl(kSection, &list);
    EXPECT_EQ(list.count(), 0);
}

TEST_F(ControlStateTest, AComboBoxKeepsItsItemWhenTheStoredTextIsNotOne) {
    QComboBox fixed;
    fixed.setObjectName(QStringLiteral("cbFixed"));
    fixed.addItems({QStringLiteral("one"), QStringLiteral("two")});
    fixed.setCurrentIndex(1);
    WritePluginSetting(kSection, "cbFixed", "seven");
    LoadControl(kSection, &fixed);
    EXPECT_EQ(fixed.currentIndex(), 1);

    QComboBox editable;
    editable.setObjectName(QStringLiteral("cbFree"));
    editable.setEditable(true);
    WritePluginSetting(kSection, "cbFree", "seven");
    LoadControl(kSection, &editable);
    EXPECT_EQ(editable.currentText(), QStringLiteral("seven"));
}

TEST_F(ControlStateTest, ARadioGroupValueThatIsNoNumberStopsTheLoad) {
    SettingsWindow window;
    WritePluginSetting(kSection, "rgBind", "abc");
    WritePluginSetting(kSection, "eHost", "before");
    WritePluginSetting(kSection, "eAfter", "after");
    QString error;
    EXPECT_FALSE(LoadWindow(kSection, &window.window, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("rgBind")));
    EXPECT_TRUE(error.contains(QStringLiteral("abc")));
    EXPECT_EQ(window.edit->text(), QStringLiteral("before"));
    EXPECT_EQ(window.radios->itemIndex(), 0);
    // Controls after the radio group are not reached.
    EXPECT_EQ(window.after->text(), QString());
}

TEST_F(ControlStateTest, ARadioGroupIndexOutOfRangeSelectsNothing) {
    RadioGroup group(QStringLiteral("Mode"), {QStringLiteral("a"), QStringLiteral("b")});
    group.setObjectName(QStringLiteral("rgMode"));
    group.setItemIndex(1);
    WritePluginSetting(kSection, "rgMode", "5");
    EXPECT_TRUE(LoadControl(kSection, &group));
    EXPECT_EQ(group.itemIndex(), -1);
    WritePluginSetting(kSection, "rgMode", "0");
    EXPECT_TRUE(LoadControl(kSection, &group));
    EXPECT_EQ(group.itemIndex(), 0);
}

}  // namespace
}  // namespace nimbra
