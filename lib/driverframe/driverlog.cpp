#include "driverlog.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <utility>

#include "unDate.h"

namespace nimbra::driver {

DriverLog::DriverLog(TPostafiok& mailbox, Sources sources)
    : mailbox_(mailbox), sources_(std::move(sources)) {}

void DriverLog::Log(std::string_view level, std::string_view line) {
    try {
        if (level != "1" && sources_.operatorName() != kDebugOperator) {
            return;
        }
        mailbox_.Post(std::string(line));
        if (line == kCheckingLink) {
            return;
        }
        std::string stamped = NowText() + " " + std::string(line);
        if (sources_.logToFile()) {
            AppendToFile(stamped);
        }
        sources_.appendToView(std::move(stamped));
    } catch (const std::exception&) {
        // A line that cannot be logged is dropped; the driver goes on.
    }
}

void DriverLog::AppendToFile(const std::string& stamped) {
    std::lock_guard lock(fileMutex_);
    std::filesystem::path file = std::filesystem::path(sources_.engineFolder()) / kDriverLogFile;
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << stamped << "\r\n";
    out.flush();
}

}  // namespace nimbra::driver
