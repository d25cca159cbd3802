// The build installed into a temporary prefix: the programs under lib/nimbra, links on the
// PATH, the data files and session units; and the installed engine, in a folder nobody may
// write to, making the user's home under $XDG_DATA_HOME on first start and serving nbsms there.

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "file_text.h"
#include "private_bus.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "temp_dir.h"
#include "wait.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Runs a program to its end; gives its exit code (-1 when it did not end in time).
int RunProgram(const ChildProcess::Options& options, std::string* output = nullptr) {
    ChildProcess child(options);
    if (!child.WaitForExit(60s)) {
        ADD_FAILURE() << options.program << " did not end: " << child.Errors();
        return -1;
    }
    if (output)
        *output = child.Output();
    if (child.ExitCode() != 0)
        ADD_FAILURE() << options.program << ": " << child.Output() << child.Errors();
    return child.ExitCode().value_or(-1);
}

void MakeReadOnly(const fs::path& dir) {
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_directory() && !entry.is_symlink())
            ::chmod(entry.path().c_str(), 0555);
    }
    ::chmod(dir.c_str(), 0555);
}

void MakeWritable(const fs::path& dir) {
    ::chmod(dir.c_str(), 0755);
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_directory() && !entry.is_symlink())
            ::chmod(entry.path().c_str(), 0755);
    }
}

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RunProgram(
                      {CMAKE_COMMAND, {"--install", BUILD_DIR, "--prefix", prefix.path()}, {}, {}}),
                  0);
        // No device of any kind: the engine starts no driver.
        for (const char* count : {"eInstalledNumber", "eUCPInstalledNumber", "eSMPPInstalledNumber",
                                  "eCIMDInstalledNumber"})
            WritePluginSetting(settings::kServerSection, count, "0");
        MakeReadOnly(programs());
    }
    void TearDown() override { MakeWritable(programs()); }

    fs::path programs() const { return prefix / "lib/nimbra"; }

    std::map<std::string, std::optional<std::string>> Environment() const {
        return {{"DBUS_SESSION_BUS_ADDRESS", bus.address()},
                {"NIMBRA_SETTINGS_DIR", settingsDir.path().string()},
                {"XDG_DATA_HOME", data.path().string()},
                {"NIMBRA_HOME", std::nullopt},
                {"DISPLAY", std::nullopt},
                {"WAYLAND_DISPLAY", std::nullopt}};
    }
    std::unique_ptr<ChildProcess> StartEngine(const fs::path& home) {
        auto engine = std::make_unique<ChildProcess>(ChildProcess::Options{
            (prefix / "bin/transmit").string(), {"--headless"}, Environment(), {}});
        const bool ready = WaitUntil(
            [&] { return !engine->Running() || fs::exists(home / "servercontrol"); }, 20s);
        EXPECT_TRUE(ready && engine->Running()) << engine->Errors();
        return engine;
    }

    TempDir prefix;
    TempDir data;
    ScopedSettingsDir settingsDir;
    PrivateBus bus;
};

TEST_F(InstallTest, PutsTheProgramsUnderLibAndLinksThemOnThePath) {
    for (const char* program : {"transmit", "nbsms", "Devices/smpp", "Devices/cimd",
                                "Devices/handset", "Plugins/billboard"}) {
        const fs::perms perms = fs::status(programs() / program).permissions();
        EXPECT_NE(perms & fs::perms::owner_exec, fs::perms::none) << program;
    }
    for (const char* program : {"transmit", "nbsms"}) {
        const fs::path link = prefix / "bin" / program;
        ASSERT_TRUE(fs::is_symlink(link)) << program;
        EXPECT_EQ(fs::read_symlink(link), fs::path("../lib/nimbra") / program);
        EXPECT_TRUE(fs::equivalent(link, programs() / program));
    }
    for (const char* file : {"Languages.txt", "Notify.wav", "Billboard/index.html",
                             "Help/index.html", "Languages/English"})
        EXPECT_TRUE(fs::exists(prefix / "share/nimbra" / file)) << file;

    const std::string unit = ReadFileText(prefix / "lib/systemd/user/nimbra-transmit.service");
    EXPECT_TRUE(Contains(unit, "ExecStart=" + (prefix / "bin/transmit").string() + " --headless"))
        << unit;
    EXPECT_TRUE(Contains(unit, "Restart=on-failure")) << unit;
    EXPECT_TRUE(Contains(unit, "RestartForceExitStatus=75")) << unit;
    const std::string busService =
        ReadFileText(prefix / "share/dbus-1/services/org.nimbra.Transmit.service");
    EXPECT_TRUE(Contains(busService, "SystemdService=nimbra-transmit.service")) << busService;
    EXPECT_TRUE(Contains(ReadFileText(prefix / "share/applications/org.nimbra.Transmit.desktop"),
                         "Icon=nimbra"));
    EXPECT_TRUE(fs::exists(prefix / "share/icons/hicolor/scalable/apps/nimbra.svg"));
}

// systemd's own check of the user unit, where systemd's tools are installed.
TEST_F(InstallTest, UserUnitPassesSystemdVerify) {
    const fs::path analyze = "/usr/bin/systemd-analyze";
    if (!fs::exists(analyze))
        GTEST_SKIP() << "no systemd-analyze here";
    const TempDir runtime;
    fs::permissions(runtime.path(), fs::perms::owner_all);
    // A directive it cannot parse is only a warning on stderr: none may come.
    ChildProcess verify(
        {analyze.string(),
         {"verify", "--user", (prefix / "lib/systemd/user/nimbra-transmit.service").string()},
         {{"XDG_RUNTIME_DIR", runtime.path().string()}},
         {}});
    ASSERT_TRUE(verify.WaitForExit(60s));
    EXPECT_EQ(verify.ExitCode(), 0) << verify.Errors();
    EXPECT_EQ(verify.Errors(), "");
}

TEST_F(InstallTest, ReadOnlyEngineMakesItsHomeUnderXdgDataHomeAndNbsmsReachesIt) {
    const fs::path home = data / "nimbra";
    const std::unique_ptr<ChildProcess> engine = StartEngine(home);

    EXPECT_TRUE(fs::is_symlink(home / "Devices"));
    EXPECT_TRUE(fs::equivalent(home / "Devices" / "smpp", programs() / "Devices/smpp"));
    EXPECT_TRUE(fs::is_symlink(home / "Plugins"));
    for (const char* copied : {"Languages.txt", "Notify.wav", "Billboard/index.html"}) {
        EXPECT_TRUE(fs::is_regular_file(home / copied)) << copied;
        EXPECT_FALSE(fs::is_symlink(home / copied)) << copied;
    }
    EXPECT_TRUE(fs::is_directory(home / "Languages/English"));
    EXPECT_FALSE(fs::exists(programs() / "servercontrol"));

    std::string folders;
    ASSERT_EQ(
        RunProgram({(prefix / "bin/nbsms").string(), {"folders"}, Environment(), {}}, &folders), 0);
    EXPECT_TRUE(Contains(folders, "Inbox")) << folders;
    std::string sent;
    ASSERT_EQ(RunProgram({(prefix / "bin/nbsms").string(),
                          {"send", "+15550100", "installed"},
                          Environment(),
                          {}},
                         &sent),
              0);
    // The message is kept in the new home.
    EXPECT_TRUE(WaitUntil(
        [&] {
            const fs::path outbox = home / "SysFolders" / "Outbox";
            return fs::exists(outbox) && !fs::is_empty(outbox);
        },
        10s))
        << sent;
}

TEST_F(InstallTest, NimbraHomeStillWins) {
    const TempDir chosen;
    ChildProcess::Options options{
        (prefix / "bin/transmit").string(), {"--headless"}, Environment(), {}};
    options.environment["NIMBRA_HOME"] = chosen.path().string();
    ChildProcess engine(options);
    EXPECT_TRUE(
        WaitUntil([&] { return !engine.Running() || fs::exists(chosen / "servercontrol"); }, 20s))
        << engine.Errors();
    EXPECT_TRUE(engine.Running()) << engine.Errors();
    EXPECT_FALSE(fs::exists(data / "nimbra"));
}

}  // namespace
}  // namespace nimbra::testing_support
