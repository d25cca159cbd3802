#pragma once
// The events the engine raises on a device driver. The automation layer delivers them to the
// driver that advised the device object; tests record them.
#include <string>

namespace nimbra {

class DeviceEventSink {
public:
    virtual ~DeviceEventSink() = default;
    virtual void Connect() = 0;
    virtual void Disconnect() = 0;
    // record: the text form of the message record to send.
    virtual void Transmit(const std::string& record) = 0;
    virtual void ServerShutdown() = 0;
    virtual void MenuItemClick(const std::string& caption) = 0;
    virtual void Info(const std::string& text) = 0;
    virtual void UnInstall() = 0;
};

}  // namespace nimbra
