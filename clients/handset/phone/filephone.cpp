#include "filephone.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

namespace nimbra::handset {

namespace {

char RandomCapital() {
    thread_local std::mt19937 generator{std::random_device{}()};
    return static_cast<char>('A' + std::uniform_int_distribution<int>(0, 25)(generator));
}

}  // namespace

TfilePhone::TfilePhone(const PhoneParts& parts, std::function<char()> letters)
    : TPhone(parts, kFilePhone), letters_(letters ? std::move(letters) : RandomCapital) {
    SetNoDevice();
}

std::string TfilePhone::MenuItem() {
    return settings().realName() + " " + host().Translate("directories");
}

void TfilePhone::ConnectDevice() {
    host().RegisterMenuItem(MenuItem());
}

void TfilePhone::DisconnectDevice() {
    host().UnregisterMenuItem(MenuItem());
}

bool TfilePhone::SubmitSms(TGsmSms& record) {
    namespace fs = std::filesystem;
    const std::string folder = settings().FilePhoneFolder(true);
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        host().ShowMessage("Directory " + folder + " does not exist.");
        return false;
    }
    std::string name;
    for (int i = 0; i < 8; ++i)
        name.push_back(letters_());
    const fs::path lock = fs::path(folder) / (name + ".lck");
    const fs::path file = fs::path(folder) / (name + ".sms");
    std::ofstream(lock, std::ios::binary).close();
    bool written = false;
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << record.sender << "\r\n" << record.receiver << "\r\n" << record.text << "\r\n";
        written = static_cast<bool>(out.flush());
    }
    fs::remove(lock, error);
    return written;
}

}  // namespace nimbra::handset
