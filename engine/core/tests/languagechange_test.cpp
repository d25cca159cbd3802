// Choosing the user-interface language while the engine runs.
#include <optional>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "languagechange.h"
#include "refusal.h"
#include "settingskeys.h"
#include "settingsstore.h"

namespace nimbra::testing_support {
namespace {

using Texts = std::vector<std::string>;

class LanguageChangeTest : public EngineTest {
protected:
    std::optional<std::string> Refusal(const std::string& name) {
        return RefusalOf([&] { ChangeLanguage(*engine, name); });
    }
};

TEST_F(LanguageChangeTest, OnlyALanguageOfTheListIsTaken) {
    StartEngine();
    EXPECT_EQ(Refusal("English"), "Languages file not found");
    Place("Languages.txt", "English\r\nDeutsch\r\n\r\n");
    EXPECT_EQ(AvailableLanguages(), (Texts{"English", "Deutsch"}));
    EXPECT_EQ(Refusal("Klingon"),
              "No such language: Klingon (Languages.txt offers: English, Deutsch)");
    EXPECT_EQ(Refusal(""), "No such language:  (Languages.txt offers: English, Deutsch)");
    EXPECT_FALSE(engine->HasShutDown());
    host.RunPosted();
    EXPECT_EQ(engine->ExitCode(), 0);
    EXPECT_EQ(ReadSetting(settings::kLanguageKey, settings::kLanguageValue, "(none)"), "(none)");
}

TEST_F(LanguageChangeTest, TheLanguageIsStoredToldAndTheEngineEndsToBeStartedAgain) {
    Place("Languages.txt", "English\r\nDeutsch\r\n");
    StartEngine();
    Device& device = AddDevice();
    auto client = engine->CreateMessageServer();
    RecordingServerSink sink;
    client->SetSink(&sink);
    client->login("monitor");

    EXPECT_EQ(ChangeLanguage(*engine, "Deutsch"),
              "After changing the language, you need to restart the application");
    EXPECT_EQ(ReadSetting(settings::kLanguageKey, settings::kLanguageValue, ""), "Deutsch");
    EXPECT_EQ(engine->LanguageName(), "Deutsch");
    EXPECT_EQ(sink.events, Texts{"info:setlanguage(Deutsch)"});
    EXPECT_EQ(device.sink->events, Texts{"info:setlanguage(Deutsch)"});
    EXPECT_TRUE(PaneContains("After changing the language, you need to restart the application"));

    host.RunPosted();
    EXPECT_TRUE(engine->HasShutDown());
    EXPECT_TRUE(host.quit);
    EXPECT_EQ(engine->ExitCode(), kRestartExitCode);
    EXPECT_EQ(sink.events.back(), "ServerShutdown");
    EXPECT_EQ(device.sink->events.back(), "ServerShutdown");
}

}  // namespace
}  // namespace nimbra::testing_support
