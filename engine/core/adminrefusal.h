#pragma once
// An administration request the engine refuses (an install over the limit, an option value
// that is not valid, a folder that does not exist); what() is the text for the operator.
// Nothing has changed when it is thrown.
#include <stdexcept>

namespace nimbra {

class AdminRefusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace nimbra
