#pragma once
// The about window: the product, its version and what it does.
#include <QDialog>

namespace nimbra::ui {

inline constexpr const char* kProductName = "Nimbra SMS Server";

class AboutForm final : public QDialog {
    Q_OBJECT
public:
    explicit AboutForm(QWidget* parent = nullptr);
};

}  // namespace nimbra::ui
