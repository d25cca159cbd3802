// Writes many values into the settings store, for the test of several processes writing
// one store at the same time. Usage: settings_writer <prefix> <count> [<text>]
// Writes <prefix>0 ... <prefix><count-1> once each ("value <i>", or <text><i><text>), and
// after every one of them the value <prefix>last again, always of the same length, so that
// a lost update shows.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "settingsstore.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: settings_writer <prefix> <count> [<text>]\n");
        return 2;
    }
    const std::string prefix = argv[1];
    const int count = std::atoi(argv[2]);
    char last[16];
    for (int i = 0; i < count; ++i) {
        const std::string number = std::to_string(i);
        nimbra::WritePluginSetting("Stress", prefix + number,
                                   argc == 4 ? argv[3] + number + argv[3] : "value " + number);
        std::snprintf(last, sizeof last, "%06d", i);
        nimbra::WritePluginSetting("Stress", prefix + "last", last);
    }
    return 0;
}
