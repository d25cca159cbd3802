#include "autodetect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scripted_device.h"

namespace nimbra::handset::testing {
namespace {

class RecordingView final : public AutodetectView {
public:
    void Status(const std::string& text) override { statuses.push_back(text); }
    void SelectSpeed(int baud) override { speeds.push_back(baud); }
    void SetPduMode(bool on) override { pduMode = on ? 1 : 0; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::string Translate(const std::string& text) override { return text; }
    int speed() const { return speeds.empty() ? 0 : speeds.back(); }

    std::vector<std::string> statuses;
    std::vector<int> speeds;
    std::vector<std::string> messages;
    int pduMode = -1;  // not set
};

struct Device {
    int speed = 9600;  // the only speed it answers at
    std::string manufacturer = "+GMI: ACME";
    std::string model = "GSM900";
    std::string formats = "+CMGF: (0,1)";  // empty: ERROR
};

// Runs detection against a device that answers only at its speed, echoing each command. The
// device is copied into the script, which outlives the call.
AutodetectResult Detect(PhoneBench& bench, RecordingView& view, const Device& device) {
    bench.device.script = [&view, device](const std::string& command) -> std::string {
        if (view.speed() != device.speed)
            return "";
        const std::string echo = command + "\r";
        if (command == "AT+GMI")
            return echo + "\r\n" + device.manufacturer + "\r\n\r\nOK\r\n";
        if (command == "ATI")
            return echo + "\r\n" + device.model + "\r\n\r\nOK\r\n";
        if (command == "AT+CMGF=?")
            return device.formats.empty() ? echo + "\r\nERROR\r\n"
                                          : echo + "\r\n" + device.formats + "\r\n\r\nOK\r\n";
        return echo + "\r\nOK\r\n";
    };
    return Autodetect(*bench.phone, "COM1", view);
}

TEST(Autodetect, TriesTheSpeedsFastestFirstUntilTheDeviceAnswers) {
    PhoneBench bench(kSiemensM20);
    RecordingView view;
    const AutodetectResult result = Detect(bench, view, {});
    EXPECT_EQ(result.result, "OK");
    EXPECT_EQ(result.identification, "ACME GSM900");
    EXPECT_EQ(view.speeds, (std::vector<int>{115200, 57600, 56000, 38400, 19200, 9600}));
    EXPECT_EQ(view.statuses.front(), "Trying to open port");
    EXPECT_EQ(view.statuses[1], "Checking port speed: 115200");
    EXPECT_EQ(view.statuses.back(), "ACME GSM900");
    EXPECT_EQ(view.pduMode, 1);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_FALSE(bench.device.open) << "the port is closed afterwards";
    // Five silent speeds cost their settle time and the short timeout each, not 15 s.
    EXPECT_LE(bench.clock.now, 2000 + 6 * (2000 + 4000 + 700));
    bench.device.script = [](const std::string&) { return std::string(); };  // silent now
    const auto before = bench.clock.now;
    EXPECT_EQ(bench.phone->SendATR("AT"), "TIMEOUT");
    EXPECT_GE(bench.clock.now - before, 15000) << "commands wait 15 s again";
}

TEST(Autodetect, IdentificationAndMessageFormats) {
    struct Case {
        Device device;
        std::string result;
        std::string identification;
        int pduMode;
    };
    const std::vector<Case> cases = {
        {{115200, "+GMI: ACME", "ACME", "+CMGF: (0,1)"}, "OK", "ACME", 1},
        {{19200, "Maker", "M1", "+CMGF: (1)"}, "OK", "Maker M1", 0},
        {{9600, "+GMI: ACME", "GSM900", "+CMGF: (0)"}, "OK", "ACME GSM900", 1},
        {{9600, "+GMI: ACME", "GSM900", ""}, "ERROR", "ACME GSM900", -1},
    };
    for (const Case& c : cases) {
        PhoneBench bench(kSiemensM20);
        RecordingView view;
        const AutodetectResult result = Detect(bench, view, c.device);
        EXPECT_EQ(result.result, c.result) << c.device.formats;
        EXPECT_EQ(result.identification, c.identification);
        EXPECT_EQ(view.pduMode, c.pduMode) << c.device.formats;
        if (c.result == "ERROR") {
            EXPECT_EQ(view.messages, std::vector<std::string>{
                                         "This device (ACME GSM900) cannot send or receive SMS "
                                         "messages"});
        }
    }
}

TEST(Autodetect, ADeviceThatNeverAnswersIsGivenUpAfterSixSpeeds) {
    PhoneBench bench(kSiemensM20);
    RecordingView view;
    const AutodetectResult result = Detect(bench, view, {.speed = 4800});
    EXPECT_EQ(result.result, "Cannot communicate with phone");
    EXPECT_EQ(view.speeds.size(), 6u);
    EXPECT_EQ(view.messages,
              std::vector<std::string>{"Cannot communicate with GSM device on COM1"});
    EXPECT_EQ(view.statuses.back(), "");
    EXPECT_EQ(bench.device.commands, std::vector<std::string>(6, "ATZ"));
}

TEST(Autodetect, APortThatCannotBeOpenedIsReported) {
    PhoneBench bench(kSiemensM20);
    bench.device.refuseOpen = true;
    RecordingView view;
    const AutodetectResult result = Detect(bench, view, {});
    EXPECT_EQ(result.result, "Cannot open port");
    EXPECT_EQ(view.messages, std::vector<std::string>{"Cannot open port COM1"});
    EXPECT_TRUE(view.speeds.empty());
    EXPECT_TRUE(bench.device.commands.empty());
}

TEST(Autodetect, TheAnswerLineIsTheLastLineThatSaysSomething) {
    EXPECT_EQ(AnswerLine("OK", {"AT+GMI", "+GMI: ACME", "", "OK"}), "+GMI: ACME");
    EXPECT_EQ(AnswerLine("OK", {"OK"}), "");
    EXPECT_EQ(AnswerLine("ERROR", {"AT+CMGF=?", "ERROR"}), "");
    EXPECT_EQ(AnswerLine("TIMEOUT", {"AT+CMGF=?"}), "");
}

}  // namespace
}  // namespace nimbra::handset::testing
