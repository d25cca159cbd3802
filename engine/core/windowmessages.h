#pragma once
// Requests the engine's main thread carries out later, in the order they were posted. Devices,
// clients, timers and other programs ask for them; the numbers are the ones other programs
// and logs know them by.
namespace nimbra {

enum class WindowMessage : unsigned {
    RestartPutBack = 0x8197,          // restart the retry timer after a put-back
    UninstallDevice = 0x819B,         // lParam: device kind
    ConnectDevices = 0x819C,          // raise Connect on every device
    DisconnectDevices = 0x819D,       // raise Disconnect on every device
    ShutdownPlugin = 0x819E,          // shut down an uninstalled plugin's client object
    ServerStartedEvents = 0x81F4,     // tell every client that the server started
    ServerStoppedEvents = 0x81F5,     // tell every client that the server stopped
    Shutdown = 0x81F6,                // close the engine
    MessageSentEvent = 0x81F7,        // wParam: notification slot
    MessageReceivedEvent = 0x81F8,    // wParam: message id as a number
    MessageDeletedEvent = 0x81F9,     // wParam: notification slot
    SendAttemptFailedEvent = 0x81FA,  // wParam: notification slot, lParam: error code 1
    ClickPluginMenuItem = 0x81FB,
    ShowMonitor = 0x81FC,
    PressStart = 0x81FE,  // start the server when Start is available
    RepaintMessageList = 0x81FF,
    MessageDeliveredEvent = 0x8200,  // wParam: notification slot
    RefreshDevicePanel = 0x8201,
    RestartListSort = 0x8202,
    RestoreFromTray = 0x8321,
    MinimiseToTray = 0x8322,
    OpenComposer = 0x8323,
    TrayOnShow = 0x8324,
    Exit = 0x8325,
};

}  // namespace nimbra
