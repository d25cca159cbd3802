#include "transmiterror.h"

namespace nimbra::com {

TransmitError::TransmitError(const QString& name, const QString& text)
    : std::runtime_error(text.toStdString()), name_(name), text_(text) {}

}  // namespace nimbra::com
