#pragma once
// The exit question: closing the window asks it, and only OK closes the engine.
#include <QDialog>

namespace nimbra::ui {

class ExitForm final : public QDialog {
    Q_OBJECT
public:
    explicit ExitForm(QWidget* parent = nullptr);
};

}  // namespace nimbra::ui
