#pragma once
// The modem's end of a pseudo-terminal. The driver opens the other end, a terminal device
// such as /dev/pts/3, as its serial port; a fixed path linked to it may stand in for that
// name. The modem sees when the driver opens and closes its end (a pseudo-terminal reports
// a hang-up while nobody has it open), and what it writes meanwhile is dropped rather than
// left for the next one to open it. Closing the modem's end unplugs the port: the driver
// gets a hang-up; opening it again makes a new terminal device.

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

namespace modemsim {

class PtyPort : public QObject {
    Q_OBJECT
public:
    explicit PtyPort(QObject* parent = nullptr);
    ~PtyPort() override;

    // Makes a new pseudo-terminal in raw mode (no echo, no line editing) and, with a link
    // path, points a symbolic link there (replacing an older link, never another file).
    // False with `error` set when that fails.
    bool Open(const QString& linkPath, QString& error);
    // Closes the modem's end and removes the link.
    void Close();
    bool isOpen() const { return master_ >= 0; }
    // The terminal device the driver opens.
    QString devicePath() const { return devicePath_; }
    bool peerOpen() const { return peerOpen_; }
    // The speed in baud the driver set on its end (a pseudo-terminal keeps one set of line
    // settings for both ends); 0 when it is not a standard speed or the port is closed.
    int LineSpeed() const;

    // Bytes for the driver; dropped (false) while nobody has the port open.
    bool Write(const QByteArray& bytes);

signals:
    void received(const QByteArray& bytes);
    void peerOpened();
    void peerClosed();

private:
    void ReadAvailable();
    void WriteAvailable();
    void CheckPeer();
    void SetPeerOpen(bool open);

    int master_ = -1;
    QString devicePath_;
    QString linkPath_;
    bool peerOpen_ = false;
    QByteArray pending_;  // written when the terminal takes more
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    QTimer* peerWatch_;
};

}  // namespace modemsim
