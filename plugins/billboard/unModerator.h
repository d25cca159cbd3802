#pragma once

// "Moderate", the operator's window of the message wall: the inbox and display lists with
// their times, the manual entry, the wall's three presentations, and the moderation step
// once a second (unModeration.h) on the window's clock.

#include <functional>

#include <QMainWindow>
#include <QTimer>

#include "unModeration.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace nimbra {

class TGsmSms;
class TfrmDisplay;

// The settings section of the message wall's windows.
inline constexpr char kBillboardSection[] = "Billboard";

class TfrmModerate : public QMainWindow {
    Q_OBJECT
public:
    struct Options {
        // Local seconds since 1970.
        std::function<long long()> clock;
        // Time between two moderation steps; 0 runs a step only when Step() is called.
        int stepMs = 1000;
    };
    // Created hidden; the inbox and display times come from the settings.
    TfrmModerate(TfrmDisplay& display, Options options, QWidget* parent = nullptr);
    ~TfrmModerate() override;

    // An incoming message joins the inbox, arriving now.
    void AddMessage(const TGsmSms& record);
    // An entry joins the inbox as it is.
    void AddItem(const TBillboardItem& item);
    // One moderation step; the wall's part of it ends later, when the page has answered.
    void Step();

    const TModeration& moderation() const { return moderation_; }

signals:
    // A moderation step has ended, the page's part included.
    void stepEnded();

private:
    void BuildWindow();
    void AddManualEntry();
    void DeleteSelected(TModeration::List list);
    QListWidget* View(TModeration::List list) const;
    void ShowClock(long long now);
    void EndStep(long long now, const QString& wallText);
    void ScheduleStep();

    TfrmDisplay& display_;
    Options options_;
    TModeration moderation_;
    QTimer timerSec_;

    QLineEdit* ePhone_ = nullptr;
    QLineEdit* eText_ = nullptr;
    QPushButton* bAdd_ = nullptr;
    QListWidget* qInbox_ = nullptr;
    QLineEdit* eInboxTime_ = nullptr;
    QListWidget* qDisplay_ = nullptr;
    QLineEdit* eDisplayTime_ = nullptr;
    QLabel* clockPanel_ = nullptr;
};

}  // namespace nimbra
