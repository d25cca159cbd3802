// The control folder: other programs start and stop the server by dropping command files
// ("StartServer.act", "StopServer.act") into "servercontrol"; a file beside one with ".lck"
// added holds it back.
#include <algorithm>
#include <filesystem>
#include <vector>

#include "atomicfile.h"
#include "engine.h"

namespace nimbra {

namespace fs = std::filesystem;

void Engine::CheckControlFolder() {
    const std::string folder = PathOf("servercontrol");
    std::vector<fs::path> commands;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == ".act")
            commands.push_back(it->path());
    }
    std::sort(commands.begin(), commands.end());
    for (const fs::path& command : commands) {
        const std::string lockFile = command.string() + ".lck";
        if (fs::exists(lockFile, ec))
            continue;
        const std::string name = command.stem().string();
        if (name == "StartServer" && StartAvailable())
            StartbtnClick(true);
        else if (name == "StopServer" && StopAvailable())
            StopbtnClick();
        fs::remove(command, ec);
        if (ec && fs::exists(command, ec))
            WriteFileAtomically(lockFile, "Cannot delete\r\n");
    }
}

}  // namespace nimbra
