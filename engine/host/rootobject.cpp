#include "rootobject.h"

namespace nimbra {

void TransmitRootObject::Activate() {
    if (activate_)
        activate_();
}

}  // namespace nimbra
