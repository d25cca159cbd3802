#pragma once
// The window messages of a driver's main window: queued events on the window thread, posted
// from any thread and handled in posting order. Each carries the designed number, wParam and
// lParam, and the text it hands over (incoming record, reference, status text), so a value
// posted twice in a row is never overwritten before it is handled.

#include <string>
#include <utility>

#include <QEvent>

namespace nimbra::driver {

inline constexpr int WM_APP = 0x8000;
inline constexpr int WM_DRV_SENT = WM_APP + 407;
inline constexpr int WM_DRV_FAILED = WM_APP + 408;
inline constexpr int WM_DRV_RECEIVED = WM_APP + 409;
inline constexpr int WM_DRV_MAILBOX = WM_APP + 410;
inline constexpr int WM_DRV_STATUS = WM_APP + 412;
inline constexpr int WM_DRV_BUSY = WM_APP + 413;
inline constexpr int WM_DRV_DEVICEINFO = WM_APP + 418;
inline constexpr int WM_DRV_THREAD_ENDED = WM_APP + 420;
// What the TCP link reports to the window thread (the socket component's events) and what
// the protocol thread asks of it.
inline constexpr int WM_DRV_LINK_CONNECTED = WM_APP + 430;
inline constexpr int WM_DRV_LINK_DISCONNECTED = WM_APP + 431;
inline constexpr int WM_DRV_LINK_STATUS = WM_APP + 432;
inline constexpr int WM_DRV_ARM_RETRY = WM_APP + 433;
inline constexpr int WM_DRV_SHOW_MESSAGE = WM_APP + 434;
inline constexpr int WM_DRV_LOG_VIEW = WM_APP + 435;
inline constexpr int WM_DRV_FIELD_CHANGED = WM_APP + 436;
// The message in flight goes back untried; a value for the engine's sendInfo.
inline constexpr int WM_DRV_HANDED_BACK = WM_APP + 437;
inline constexpr int WM_DRV_SEND_INFO = WM_APP + 438;

class DriverMessageEvent final : public QEvent {
public:
    static QEvent::Type EventType();

    DriverMessageEvent(int number, int w, int l, std::string payload = {},
                       std::string fieldName = {})
        : QEvent(EventType()),
          message(number),
          wParam(w),
          lParam(l),
          text(std::move(payload)),
          name(std::move(fieldName)) {}

    const int message;
    const int wParam;
    const int lParam;
    const std::string text;
    const std::string name;
};

}  // namespace nimbra::driver
