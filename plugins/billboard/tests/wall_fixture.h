#pragma once
// A wall window in a test: the shipped page (or another) in a temporary home, and waiting for
// what the page answers.

#include <filesystem>
#include <string>
#include <vector>

#include <QString>
#include <QVariant>

#include "temp_dir.h"

namespace nimbra {

class TfrmDisplay;

namespace testing_support {

constexpr int kPageTimeoutMs = 20000;

// A console line of the page.
struct ConsoleLine {
    int level;
    QString text;
};

// A home holding the shipped wall page and, unless number is empty, "phonenum.txt" for it.
class WallHome {
public:
    explicit WallHome(const std::string& number = "+36 201234567");
    std::filesystem::path TemplatePath() const { return dir_ / "Billboard/index.html"; }
    std::filesystem::path Write(const std::string& name, const std::string& text) const;

private:
    TempDir dir_;
};

// Records the console lines of display's page while it lives.
class ConsoleRecorder {
public:
    explicit ConsoleRecorder(TfrmDisplay& display);
    const std::vector<ConsoleLine>& lines() const { return lines_; }
    QString Text() const;

private:
    std::vector<ConsoleLine> lines_;
};

// Loads file into the wall and waits until the page is there. False when it did not load.
bool LoadPage(TfrmDisplay& display, const std::filesystem::path& file);
// Runs a script on the wall's page and gives its result (invalid after a time-out).
QVariant RunScript(TfrmDisplay& display, const QString& script);
// The wall's current text, as the moderation asks for it.
QString WallText(TfrmDisplay& display);

}  // namespace testing_support
}  // namespace nimbra
