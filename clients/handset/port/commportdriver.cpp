#include "commportdriver.h"

#include <QMetaObject>
#include <QSerialPort>

namespace nimbra::handset {

namespace {

QSerialPort::DataBits DataBitsOf(int bits) {
    switch (bits) {
        case 5:
            return QSerialPort::Data5;
        case 6:
            return QSerialPort::Data6;
        case 7:
            return QSerialPort::Data7;
        default:
            return QSerialPort::Data8;
    }
}

QSerialPort::Parity ParityOf(Parity parity) {
    switch (parity) {
        case Parity::Odd:
            return QSerialPort::OddParity;
        case Parity::Even:
            return QSerialPort::EvenParity;
        case Parity::Mark:
            return QSerialPort::MarkParity;
        case Parity::Space:
            return QSerialPort::SpaceParity;
        case Parity::None:
            break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits StopBitsOf(StopBits stopBits) {
    switch (stopBits) {
        case StopBits::OneAndHalf:
            return QSerialPort::OneAndHalfStop;
        case StopBits::Two:
            return QSerialPort::TwoStop;
        case StopBits::One:
            break;
    }
    return QSerialPort::OneStop;
}

}  // namespace

TCommPortDriver::TCommPortDriver(std::function<PortSettings()> settings)
    : settings_(std::move(settings)) {
    thread_.setObjectName(QStringLiteral("serial port"));
    thread_.start();
    context_ = std::make_unique<QObject>();
    context_->moveToThread(&thread_);
    OnPortThread([this] { port_ = new QSerialPort(context_.get()); });
}

TCommPortDriver::~TCommPortDriver() {
    OnPortThread([this] {
        CloseHere();
        // The port and its notifiers go on the thread that made them.
        context_.reset();
    });
    thread_.quit();
    thread_.wait();
}

void TCommPortDriver::SetReceiveHandler(std::function<void(std::string_view)> handler) {
    receive_ = std::move(handler);
}

void TCommPortDriver::SetLogHandler(std::function<void(std::string)> handler) {
    log_ = std::move(handler);
}

void TCommPortDriver::OnPortThread(const std::function<void()>& work) {
    if (QThread::currentThread() == &thread_) {
        work();
        return;
    }
    QMetaObject::invokeMethod(context_.get(), work, Qt::BlockingQueuedConnection);
}

void TCommPortDriver::Log(const std::string& line) {
    if (log_)
        log_(line);
}

bool TCommPortDriver::Open() {
    const PortSettings settings = settings_();
    bool opened = false;
    OnPortThread([&] { opened = OpenHere(settings); });
    return opened;
}

bool TCommPortDriver::OpenHere(const PortSettings& settings) {
    CloseHere();
    lost_ = false;
    port_->setPortName(QString::fromStdString(settings.portName));
    port_->setReadBufferSize(ClampQueueSize(settings.inQueue));
    outputTimeoutMs_ = settings.outputTimeoutMs;
    if (!port_->open(QIODevice::ReadWrite)) {
        Log(settings.portName + ": " + port_->errorString().toStdString());
        return false;
    }
    ApplyLineSettings(settings);
    port_->clearError();
    port_->clear(QSerialPort::AllDirections);
    QObject::connect(port_, &QSerialPort::readyRead, context_.get(), [this] { ReadHere(); });
    QObject::connect(
        port_, &QSerialPort::errorOccurred, context_.get(),
        [this](QSerialPort::SerialPortError error) {
            // A device that went away fails every read from then on.
            if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                error == QSerialPort::PermissionError) {
                Log(port_->portName().toStdString() + ": " + port_->errorString().toStdString());
                lost_ = true;
                CloseHere();
            }
        });
    open_ = true;
    return true;
}

// A pseudo-terminal has no modem control lines and keeps 8 data bits without parity: a
// setting the device refuses is a warning in the log, the port stays open.
void TCommPortDriver::ApplyLineSettings(const PortSettings& settings) {
    QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
    if (settings.hwFlow == HwFlow::RtsCts)
        flow = QSerialPort::HardwareControl;
    else if (settings.swFlow == SwFlow::XonXoff)
        flow = QSerialPort::SoftwareControl;
    const auto warnUnless = [&](bool applied, const char* what) {
        if (!applied)
            Log(settings.portName + ": " + what +
                " not set: " + port_->errorString().toStdString());
    };
    warnUnless(port_->setBaudRate(settings.baud), "speed");
    warnUnless(port_->setDataBits(DataBitsOf(settings.dataBits)), "data bits");
    warnUnless(port_->setParity(ParityOf(settings.parity)), "parity");
    warnUnless(port_->setStopBits(StopBitsOf(settings.stopBits)), "stop bits");
    warnUnless(port_->setFlowControl(flow), "flow control");
    if (settings.dtrOnOpen)
        warnUnless(port_->setDataTerminalReady(true), "DTR");
    if (settings.hwFlow == HwFlow::RtsOn)
        warnUnless(port_->setRequestToSend(true), "RTS");
}

void TCommPortDriver::Close() {
    OnPortThread([this] { CloseHere(); });
}

void TCommPortDriver::CloseHere() {
    open_ = false;
    if (!port_)
        return;
    QObject::disconnect(port_, nullptr, context_.get(), nullptr);
    if (port_->isOpen())
        port_->close();
}

void TCommPortDriver::ReadHere() {
    const QByteArray bytes = port_->readAll();
    if (!bytes.isEmpty() && receive_)
        receive_(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

bool TCommPortDriver::Write(std::string_view bytes) {
    bool written = false;
    OnPortThread([&] {
        if (!open_)
            return;
        if (port_->write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()))
            return;
        // Gives up when nothing more went out within the output timeout.
        while (port_->isOpen() && port_->bytesToWrite() > 0) {
            const qint64 before = port_->bytesToWrite();
            if (!port_->waitForBytesWritten(outputTimeoutMs_) && port_->bytesToWrite() >= before)
                return;
        }
        written = port_->isOpen();
    });
    return written;
}

}  // namespace nimbra::handset
