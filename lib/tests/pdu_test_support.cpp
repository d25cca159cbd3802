#include "pdu_test_support.h"

#include <algorithm>
#include <stdexcept>

namespace nimbra::test {

std::string Hex(int octet) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[(octet >> 4) & 0xF], kDigits[octet & 0xF]};
}

std::string Octets(std::string_view spaced) {
    std::string hex(spaced);
    std::erase(hex, ' ');
    return hex;
}

std::vector<int> PlainSeptets(std::string_view text) {
    std::vector<int> septets;
    for (char c : text) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == ' ' || c == '.' || c == ',';
        if (!plain)
            throw std::invalid_argument("not a plain character");
        septets.push_back(c);
    }
    return septets;
}

std::string PackSeptets(const std::vector<int>& septets, int fill) {
    std::vector<bool> bits(static_cast<std::size_t>(fill), false);
    for (int s : septets) {
        for (int b = 0; b < 7; ++b)
            bits.push_back(((s >> b) & 1) != 0);
    }
    std::string hex;
    for (std::size_t i = 0; i < bits.size(); i += 8) {
        int octet = 0;
        for (std::size_t b = 0; b < 8 && i + b < bits.size(); ++b)
            octet |= bits[i + b] ? 1 << b : 0;
        hex += Hex(octet);
    }
    return hex;
}

std::string HexOfText(std::string_view bytes) {
    std::string hex;
    for (char c : bytes)
        hex += Hex(static_cast<unsigned char>(c));
    return hex;
}

std::string PlainText(std::size_t n) {
    static constexpr std::string_view kAlphabet =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string text;
    for (std::size_t i = 0; i < n; ++i)
        text.push_back(kAlphabet[i % kAlphabet.size()]);
    return text;
}

std::string SemiOctetStamp(std::string_view stamp) {
    std::string digits;
    for (char c : stamp) {
        if (c >= '0' && c <= '9')
            digits.push_back(c);
    }
    digits += "00";
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        std::swap(digits[i], digits[i + 1]);
    return digits;
}

std::string DeliverPdu(const DeliverFields& f) {
    return f.smsc + Hex(f.userDataHeader ? 0x44 : 0x04) + f.originator + Hex(f.pid) + Hex(f.dcs) +
           SemiOctetStamp(f.stamp) + Hex(f.udl) + f.userData;
}

std::string TextDeliver(std::string_view text) {
    DeliverFields f;
    f.udl = static_cast<int>(text.size());
    f.userData = PackSeptets(PlainSeptets(text));
    return DeliverPdu(f);
}

std::string SevenBitPart(std::string_view header, std::string_view text,
                         std::string_view originator) {
    const int headerOctets = static_cast<int>(header.size() / 2);
    const int headerSeptets = (headerOctets * 8 + 6) / 7;
    DeliverFields f;
    f.originator = originator;
    f.userDataHeader = true;
    f.udl = headerSeptets + static_cast<int>(text.size());
    f.userData =
        std::string(header) + PackSeptets(PlainSeptets(text), headerSeptets * 7 - headerOctets * 8);
    return DeliverPdu(f);
}

std::string SubmitToDeliver(std::string_view submit) {
    auto octet = [&](std::size_t pos) {
        return std::stoi(std::string(submit.substr(pos, 2)), 0, 16);
    };
    const int firstOctet = octet(2);
    const std::size_t digits = static_cast<std::size_t>(octet(6));
    const std::size_t pid = 10 + digits + digits % 2;
    DeliverFields f;
    f.userDataHeader = (firstOctet & 0x40) != 0;
    f.pid = octet(pid);
    f.dcs = octet(pid + 2);
    f.udl = octet(pid + 4);
    f.userData = submit.substr(pid + 6);
    return DeliverPdu(f);
}

std::vector<std::string> TempFolder::PartFiles() const {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(parts(), error), end; !error && it != end;
         it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

PduCodecOptions TempFolder::Options() const {
    PduCodecOptions options;
    options.partsFolder = parts();
    return options;
}

}  // namespace nimbra::test
