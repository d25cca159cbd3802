#pragma once
// TCommPortDriver, the serial port of the handset on QSerialPort, opened by device path (a
// pseudo-terminal works). The port lives on a thread of its own: received bytes reach the
// receive handler there, in order, as they arrive; Open, Close and Write may be called from
// any other thread and wait for the port thread. A port whose device goes away (unplugged,
// the other end of a pseudo-terminal closed) is closed and reports Lost.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include <QThread>

#include "modemport.h"
#include "portsettings.h"

class QSerialPort;

namespace nimbra::handset {

class TCommPortDriver final : public ModemPort {
public:
    // settings is asked for the line settings before every open.
    explicit TCommPortDriver(std::function<PortSettings()> settings);
    ~TCommPortDriver() override;
    TCommPortDriver(const TCommPortDriver&) = delete;
    TCommPortDriver& operator=(const TCommPortDriver&) = delete;

    // OnReceiveData; called on the port thread. Set before the port opens.
    void SetReceiveHandler(std::function<void(std::string_view)> handler);
    // Warnings and errors of the port ("<path>: ..."), on the thread that met them.
    void SetLogHandler(std::function<void(std::string)> handler);

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    bool Write(std::string_view bytes) override;
    bool Lost() const override { return lost_; }

private:
    // Runs work on the port thread and waits for it.
    void OnPortThread(const std::function<void()>& work);
    bool OpenHere(const PortSettings& settings);
    void ApplyLineSettings(const PortSettings& settings);
    void CloseHere();
    void ReadHere();
    void Log(const std::string& line);

    std::function<PortSettings()> settings_;
    std::function<void(std::string_view)> receive_;
    std::function<void(std::string)> log_;
    QThread thread_;
    std::unique_ptr<QObject> context_;  // lives on the port thread
    QSerialPort* port_ = nullptr;       // owned by context_
    int outputTimeoutMs_ = kOutputTimeoutMs;
    std::atomic<bool> open_ = false;
    std::atomic<bool> lost_ = false;
};

}  // namespace nimbra::handset
