#pragma once
// A driver's link wired to a RecordingFrame, with the test as the message centre on a
// loopback port and the frame's part played where the tests need it. Link is the driver's
// DriverLink with ProtocolThreadRunning().

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "event_wait.h"
#include "frameconfig.h"
#include "loopback_peer.h"
#include "recording_frame.h"

namespace nimbra::testing_support {

template <class Link>
class FramedLink {
public:
    static constexpr int kTimeoutMs = 10000;

    // The fields start as the driver's defaults, pointed at the centre.
    explicit FramedLink(const driver::FrameConfig& config) {
        for (const driver::PrefField& field : config.fields)
            frame.fields.Set(field.name, field.value);
        frame.fields.Set(driver::kFieldHost, "127.0.0.1");
        frame.fields.Set(driver::kFieldPort, std::to_string(centre.port()));
    }

    // The link's next connection to the centre; nullptr (and a failure) when none came.
    std::unique_ptr<LoopbackPeer> Accept() {
        std::unique_ptr<LoopbackPeer> peer = centre.Accept();
        if (!peer)
            ADD_FAILURE() << "the link did not connect\n" << frame.Shown();
        return peer;
    }
    bool WaitFor(const std::string& call) {
        return ProcessEventsUntil([&] { return frame.Has(call); }, kTimeoutMs);
    }
    // Waits until the protocol thread has ended and the window thread has seen it, then
    // plays the frame: a link that was up and went down is reported with LinkLost.
    ::testing::AssertionResult Ended() {
        if (!ProcessEventsUntil([&] { return !link.ProtocolThreadRunning(); }, kTimeoutMs))
            return ::testing::AssertionFailure() << "the protocol thread still runs";
        if (frame.Count("disconnected") > lostReported_) {
            ++lostReported_;
            link.LinkLost();
        }
        return ::testing::AssertionSuccess();
    }

    LoopbackListener centre;
    RecordingFrame frame;
    Link link{frame};

private:
    int lostReported_ = 0;
};

}  // namespace nimbra::testing_support
