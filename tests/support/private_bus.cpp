#include "private_bus.h"

#include <stdexcept>

#include "file_text.h"
#include "wait.h"

namespace nimbra::testing_support {
namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);

std::string Configuration(const std::filesystem::path& socketDir, PrivateBus::Users users) {
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:dir=" +
           socketDir.string() +
           "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n" +
           std::string(users == PrivateBus::Users::Any ? "    <allow user=\"*\"/>\n" : "") +
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

}  // namespace

PrivateBus::PrivateBus(Users users) {
    const auto config = dir_ / "bus.conf";
    WriteFileText(config, Configuration(dir_.path(), users));
    // The socket's folder is open to the other users too.
    if (users == Users::Any)
        std::filesystem::permissions(
            dir_.path(), std::filesystem::perms::others_exec | std::filesystem::perms::group_exec,
            std::filesystem::perm_options::add);
    daemon_ = std::make_unique<ChildProcess>(ChildProcess::Options{
        "dbus-daemon",
        {"--config-file=" + config.string(), "--nofork", "--nopidfile", "--print-address=1"},
        {},
        {}});
    // The daemon prints its address as one line once it listens.
    const bool listening = WaitUntil(
        [this] { return daemon_->Output().find('\n') != std::string::npos || !daemon_->Running(); },
        kStartTimeout);
    const std::string output = daemon_->Output();
    const auto end = output.find('\n');
    if (!listening || end == std::string::npos)
        throw std::runtime_error("dbus-daemon gave no address: " + daemon_->Errors());
    address_ = output.substr(0, end);
}

PrivateBus::~PrivateBus() = default;

}  // namespace nimbra::testing_support
