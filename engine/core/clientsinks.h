#pragma once
// The events the engine raises on the client objects of other programs. The automation layer
// delivers them to the program that advised the object; tests record them.
#include <string>

namespace nimbra {

class MessageServerEventSink {
public:
    virtual ~MessageServerEventSink() = default;
    virtual void ServerStarted() = 0;
    virtual void ServerStopped() = 0;
    virtual void MessageSent(const std::string& messageId) = 0;
    virtual void MessageDelivered(const std::string& messageId) = 0;
    // record: the text form of the stored incoming message.
    virtual void MessageReceived(const std::string& record) = 0;
    virtual void MessageDeleted(const std::string& messageId) = 0;
    virtual void Error(int errorCode, const std::string& errorMessage, const std::string& errorData,
                       const std::string& errorLevel) = 0;
    virtual void Info(const std::string& content) = 0;
    virtual void ServerShutdown() = 0;
    virtual void MessageAcceptedForDelivery(const std::string& source, const std::string& messageId,
                                            const std::string& record) = 0;
    virtual void MenuItemClick(const std::string& name) = 0;
};

class EasySmsEventSink {
public:
    virtual ~EasySmsEventSink() = default;
    virtual void MessageReceived(const std::string& senderPhoneNum,
                                 const std::string& messagetext) = 0;
    virtual void Error(int errorCode, const std::string& errorMessage, int errorparam) = 0;
    virtual void ServerStarted() = 0;
    virtual void ServerStopped() = 0;
    virtual void MessageSent(const std::string& messageId) = 0;
};

class ServiceControlEventSink {
public:
    virtual ~ServiceControlEventSink() = default;
    virtual void Started() = 0;
    virtual void Stopped() = 0;
    virtual void Error(int errorCode, const std::string& errorMessage, int errorparam) = 0;
};

// Texts of the error events.
inline constexpr const char* kRetryErrorText =
    "Message send attempt failed! Will retry in a few minutes!";
inline constexpr const char* kInvalidNumberText = "Invalid phone number: ";
inline constexpr const char* kNoRecipientText = "No recepient specified";
inline constexpr const char* kAlreadyRunningText = "Server already running";
inline constexpr const char* kNotRunningText = "Server is not running";
inline constexpr const char* kCouldNotBeSentText = "Message could not be sent";
inline constexpr const char* kDeliveredText = "Message is delivered";

// A message id as the integer the error events carry: 0 when it is empty or not a decimal
// number that fits.
int MessageIdNumber(const std::string& messageId);

}  // namespace nimbra
