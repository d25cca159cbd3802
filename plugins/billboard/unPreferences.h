#pragma once

// "Preferences" of the message wall: the HTML template the wall shows. Its controls are kept
// in the "Billboard" settings section; the default template is the one in the engine's home.

#include <QDialog>
#include <QString>

class QLineEdit;

namespace nimbra {

// The template as it comes with the programs, relative to the engine's home.
inline constexpr char kDefaultTemplate[] = "Billboard/index.html";

class TfrmPreferences : public QDialog {
    Q_OBJECT
public:
    // engineDir: the engine's home, ending in a separator; it completes the default template.
    explicit TfrmPreferences(const QString& engineDir, QWidget* parent = nullptr);

    // The template file the wall is to show.
    QString TemplatePath() const;

    // "&OK": keeps the settings and closes; "&Cancel": closes and forgets what was typed.
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Browse();

    QLineEdit* eHTML_;
    // What eHTML held when the window was shown.
    QString shownTemplate_;
};

}  // namespace nimbra
