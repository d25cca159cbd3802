#pragma once
// The real engine on a private bus with a few clients of its own, speaking the bus protocol
// by hand.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "bus_client.h"
#include "running_engine.h"

namespace nimbra::testing_support {

class AutomationTest : public ::testing::Test {
protected:
    void SetUp() override;
    // A client with a connection of its own.
    std::unique_ptr<BusClient> NewClient();
    // Creates an object, advises it and, for a message server, logs in as name.
    QString Ready(BusClient& client, const QString& className, const QString& name = {});
    // The record text of a message to number.
    static QString Record(const std::string& to, const std::string& text,
                          const std::string& messageId = "");
    // The Outbox count, asked through a message server object of client.
    int OutboxCount(BusClient& client, const QString& server);

    std::unique_ptr<RunningEngine> engine;
    std::unique_ptr<BusClient> a;
    std::unique_ptr<BusClient> b;

private:
    int clients_ = 0;
};

}  // namespace nimbra::testing_support
