#include "languagemenu.h"

#include <QAction>
#include <QMenu>

#include "atomicfile.h"
#include "keypath.h"
#include "notifier.h"
#include "qansi.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "translation.h"
#include "unStrings.h"

namespace nimbra {

void LoadLanguageSetting(LanguageFiles& files, SettingsRoot root) {
    const char* key = root == SettingsRoot::CurrentUser ? settings::kLanguageKeyCurrentUser
                                                        : settings::kLanguageKey;
    files.SetLanguage(ReadSetting(key, settings::kLanguageValue, settings::kLanguageDefault));
}

void SetLanguage(const std::string& name, const LanguageHooks& hooks, LanguageFiles& files) {
    files.SetLanguage(name);
    WriteSetting(settings::kLanguageKey, settings::kLanguageValue, name);
    if (hooks.translateWindows)
        hooks.translateWindows();
    if (hooks.tellClientsAndDevices)
        hooks.tellClientsAndDevices("setlanguage(" + name + ")");
    ProcessNotifier().ShowMessage(
        files.Translate("After changing the language, you need to restart the application"));
    if (hooks.closeProgram)
        hooks.closeProgram();
}

bool BuildLanguageMenu(QMenu* menu, const LanguageHooks& hooks, LanguageFiles& files) {
    std::string text;
    if (!ReadWholeFile(files.LanguageListFile().string(), text)) {
        ProcessNotifier().ShowMessage(files.Translate("Languages file not found"));
        return false;
    }
    int lineNumber = 0;
    for (const std::string_view view : TextLines(text)) {
        ++lineNumber;
        const std::string line(view);
        if (line.empty())
            continue;
        QAction* action = menu->addAction(QFromAnsi(line));
        action->setObjectName(QStringLiteral("langName%1").arg(lineNumber));
        QObject::connect(action, &QAction::triggered, menu,
                         [line, hooks, &files] { SetLanguage(line, hooks, files); });
    }
    return true;
}

}  // namespace nimbra
