// The main window's menus that change with the engine: the commands devices and plugins
// registered, the Language menu and its switch, the Help pages; and the list's sort order,
// kept in the settings.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTreeView>

#include "languagemenu.h"
#include "mainwindow.h"
#include "messagelistmodel.h"
#include "qansi.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "translation.h"
#include "unStrings.h"
#include "windowtranslation.h"

namespace nimbra::ui {
namespace {

struct HelpPage {
    const char* name;
    const char* caption;
    const char* file;
};

// The documentation pages that come with the engine, in its home's Help folder.
constexpr HelpPage kHelpPages[] = {
    {"HelpContents1", "&Contents", "index.html"},
    {"HelpStart1", "&Getting started", "start.html"},
    {"HelpMessages1", "&Folders and messages", "messages.html"},
    {"HelpDevices1", "&Devices and message centres", "devices.html"},
    {"HelpAutomation1", "&Programs that use the server", "automation.html"},
};

}  // namespace

void TNbsmForm::FillCommandMenu(QMenu* menu, std::vector<QAction*>& added, const ServerMenu& source,
                                const std::function<void(std::size_t)>& click) {
    for (QAction* action : added) {
        menu->removeAction(action);
        action->deleteLater();
    }
    added.clear();
    const auto& items = source.Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        QAction* action = nullptr;
        if (items[i].separator) {
            action = menu->addSeparator();
        } else {
            action = menu->addAction(QFromAnsi(items[i].caption));
            action->setEnabled(items[i].enabled);
            connect(action, &QAction::triggered, this, [click, i] { click(i); });
        }
        added.push_back(action);
    }
}

void TNbsmForm::ShowServerMenu() {
    std::vector<QAction*>& added = serverItems_;
    FillCommandMenu(serverMenu_, added, engine_.Menu(),
                    [this](std::size_t index) { engine_.ClickServerMenuItem(index); });
    // The devices' commands stand apart from Start and Stop.
    if (!added.empty() && !added.front()->isSeparator()) {
        QAction* separator = new QAction(serverMenu_);
        separator->setSeparator(true);
        serverMenu_->insertAction(added.front(), separator);
        added.insert(added.begin(), separator);
    }
}

void TNbsmForm::ShowPluginMenu() {
    FillCommandMenu(pluginMenu_, pluginItems_, engine_.PluginMenu(),
                    [this](std::size_t index) { engine_.ClickPluginMenuItem(index); });
    if (pluginItems_.empty()) {
        QAction* none = pluginMenu_->addAction(Tr("No plugin has added a command"));
        none->setEnabled(false);
        pluginItems_.push_back(none);
    }
}

void TNbsmForm::CreateLanguageMenu() {
    LanguageHooks hooks;
    hooks.translateWindows = [this] { TranslateAll(); };
    hooks.tellClientsAndDevices = [this](const std::string&) {
        engine_.LanguageChanged(ProcessLanguage().Language());
    };
    hooks.closeProgram = [this] { CloseAfterNotice(); };
    BuildLanguageMenu(languageMenu_, hooks, ProcessLanguage());
}

void TNbsmForm::CloseAfterNotice() {
    // The restart notice does not wait; the engine closes once it has been read.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box && box->isVisible()) {
            connect(box, &QMessageBox::finished, this, [this] { engine_.Exit(); });
            return;
        }
    }
    engine_.Exit();
}

void TNbsmForm::CreateHelpMenu() {
    for (const HelpPage& page : kHelpPages) {
        QAction* action = helpMenu_->addAction(QString::fromLatin1(page.caption));
        action->setObjectName(QString::fromLatin1(page.name));
        const std::string file = page.file;
        connect(action, &QAction::triggered, this, [this, file] {
            hooks_.openUrl(
                QUrl::fromLocalFile(QFromAnsi(engine_.ProgramDirectory() + "Help/" + file)));
        });
    }
    helpMenu_->addSeparator();
    helpMenu_->addAction(actAbout_);
}

void TNbsmForm::LoadSortOrder() {
    int column = 0;
    if (!ParseInt32(ReadPluginSetting(settings::kServerSection, settings::kSortColValue,
                                      settings::kSortColDefault),
                    column) ||
        column < 0 || column >= kListColumnCount)
        column = kListTime;
    const bool descending =
        ReadPluginSetting(settings::kServerSection, settings::kSortDirectionValue,
                          settings::kSortAscending) == settings::kSortDescending;
    // The header shows the order and sorts the model.
    messageView_->sortByColumn(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TNbsmForm::SaveSortOrder() const {
    WritePluginSettings(
        settings::kServerSection,
        {{settings::kSortColValue, std::to_string(messageModel_->SortColumn())},
         {settings::kSortDirectionValue, messageModel_->SortOrder() == Qt::DescendingOrder
                                             ? settings::kSortDescending
                                             : settings::kSortAscending}});
}

}  // namespace nimbra::ui
