#pragma once

// A view of the running wall from outside the program, for tests of the built program and
// for an operator looking into a wall that misbehaves: with NIMBRA_BILLBOARD_WATCH naming a
// file, the program rewrites that file (atomically) after every moderation step with the
// entries of both lists as shown, every entry that has entered the display list so far, the
// text of the page's "message" field as read through the page's script interface, and every
// message handed to the page so far, each after its section's name on a line of its own:
//
//   [Inbox] [Display] [Displayed] [Page] ("message=<text>") [Put]
//
// UTF-8, one line per entry or message as the lists show them.

#include <QObject>
#include <QString>
#include <QStringList>

namespace nimbra {

class TfrmModerate;
class TfrmDisplay;

inline constexpr char kWatchVariable[] = "NIMBRA_BILLBOARD_WATCH";

class TWallWatch : public QObject {
    Q_OBJECT
public:
    TWallWatch(TfrmModerate& moderate, TfrmDisplay& display, QString path,
               QObject* parent = nullptr);

private:
    void Write(const QString& pageText) const;

    TfrmModerate& moderate_;
    TfrmDisplay& display_;
    QString path_;
    QStringList displayed_;
    QStringList put_;
    bool reading_ = false;
};

}  // namespace nimbra
