// handset: the device driver that carries messages between the engine and a GSM phone or
// modem on a serial port, with AT commands. The engine starts it from its Devices folder.

#include "driverprogram.h"
#include "frmhandset.h"
#include "handsetwindows.h"

int main(int argc, char** argv) {
    return nimbra::driver::RunDriverProgram(
        argc, argv, [](const nimbra::com::TransmitEngine& engine) {
            auto window = std::make_unique<nimbra::handset::TfrmHandset>(engine);
            window->SetWindowFactory([](nimbra::handset::TfrmHandset& driver) {
                return std::make_unique<nimbra::handset::HandsetWindows>(driver);
            });
            return window;
        });
}
