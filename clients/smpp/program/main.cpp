// smpp: the device driver that carries messages between the engine and a message centre
// over TCP with the SMPP 3.4 protocol. The engine starts it from its Devices folder.

#include "driverprogram.h"
#include "smppconfig.h"

int main(int argc, char** argv) {
    return nimbra::driver::RunDriver(argc, argv, nimbra::smpp::SmppFrameConfig());
}
