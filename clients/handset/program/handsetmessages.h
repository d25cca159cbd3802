#pragma once
// The window messages of the handset's main window beyond those every driver has
// (drivermessages.h). The designed numbers are kept; the last ones are this driver's own.

#include "drivermessages.h"

namespace nimbra::handset {

using driver::WM_APP;
inline constexpr int WM_DRV_READING = WM_APP + 414;
inline constexpr int WM_DRV_SENDING = WM_APP + 415;
inline constexpr int WM_DRV_RECONNECT = WM_APP + 416;
inline constexpr int WM_DRV_CONNECT_RESULT = WM_APP + 417;
inline constexpr int WM_DRV_SHUTDOWN = WM_APP + 419;
inline constexpr int WM_DRV_ENGINE_CLOSE = WM_APP + 100;
// A connection's thread has ended; its phone and port can go.
inline constexpr int WM_DRV_SESSION_ENDED = WM_APP + 440;
// Engine menu items of the test and the file phone, and a message box, asked for by a phone.
inline constexpr int WM_DRV_REGISTER_MENU = WM_APP + 441;
inline constexpr int WM_DRV_UNREGISTER_MENU = WM_APP + 442;
inline constexpr int WM_DRV_SHOW_MESSAGE = driver::WM_DRV_SHOW_MESSAGE;

}  // namespace nimbra::handset
