#include "languagechange.h"

#include <algorithm>

#include "adminrefusal.h"
#include "atomicfile.h"
#include "engine.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "translation.h"
#include "unStrings.h"

namespace nimbra {

std::vector<std::string> AvailableLanguages() {
    std::string text;
    if (!ReadWholeFile(ProcessLanguage().LanguageListFile().string(), text))
        throw AdminRefusal(Translate("Languages file not found"));
    std::vector<std::string> names;
    for (const std::string_view line : TextLines(text)) {
        if (!line.empty())
            names.emplace_back(line);
    }
    return names;
}

std::string ChangeLanguage(Engine& engine, const std::string& name) {
    const std::vector<std::string> names = AvailableLanguages();
    if (std::find(names.begin(), names.end(), name) == names.end()) {
        std::string offered;
        for (const std::string& offer : names)
            offered += (offered.empty() ? "" : ", ") + offer;
        throw AdminRefusal("No such language: " + name + " (Languages.txt offers: " + offered +
                           ")");
    }
    ProcessLanguage().SetLanguage(name);
    WriteSetting(settings::kLanguageKey, settings::kLanguageValue, name);
    engine.LanguageChanged(name);
    const std::string notice =
        Translate("After changing the language, you need to restart the application");
    engine.Log("screen", notice);
    engine.ExitForRestart();
    return notice;
}

}  // namespace nimbra
