#pragma once
// A failed call to the engine: the engine's failure text (a D-Bus error reply), or a
// failure of the bus itself (no engine, no bus, no answer). Drivers treat it as fatal.

#include <stdexcept>

#include <QString>

namespace nimbra::com {

// The error name of a failed engine operation.
inline constexpr char kFailedErrorName[] = "org.nimbra.Transmit.Error.Failed";

class TransmitError : public std::runtime_error {
public:
    // name: the D-Bus error name (empty for failures found on this side); text: what failed.
    TransmitError(const QString& name, const QString& text);

    const QString& name() const { return name_; }
    const QString& text() const { return text_; }
    // Whether the engine carried out the operation and reported its failure.
    bool IsOperationFailure() const { return name_ == QLatin1String(kFailedErrorName); }

private:
    QString name_;
    QString text_;
};

}  // namespace nimbra::com
