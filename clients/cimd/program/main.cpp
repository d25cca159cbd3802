// cimd: the device driver that carries messages between the engine and a message centre
// over TCP with the CIMD2 protocol. The engine starts it from its Devices folder.

#include "cimdconfig.h"
#include "driverprogram.h"

int main(int argc, char** argv) {
    return nimbra::driver::RunDriver(argc, argv, nimbra::cimd::CimdFrameConfig());
}
