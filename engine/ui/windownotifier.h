#pragma once
// The engine's messages and questions while it has windows: messages in a message box that
// does not wait, questions in a modal box that does.
#include <functional>

#include <QString>

#include "messageboxnotifier.h"

namespace nimbra::ui {

class WindowNotifier final : public Notifier {
public:
    explicit WindowNotifier(std::function<bool(const QString&)> ask) : ask_(std::move(ask)) {}
    void ShowMessage(const std::string& text) override { boxes_.ShowMessage(text); }
    bool AskYesNo(const std::string& question) override;

private:
    std::function<bool(const QString&)> ask_;
    MessageBoxNotifier boxes_;
};

}  // namespace nimbra::ui
