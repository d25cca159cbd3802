#pragma once
// What makes one driver program of the frame: its login name, its window captions, its
// preference fields with their defaults, its retry interval and its sender rule.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QString>

namespace nimbra::driver {

class DriverLink;
class FrameServices;

struct PrefField {
    // Radio buttons with the same group on one tab are exclusive: exactly one reads "1".
    enum class Kind { Edit, Password, Check, Radio };
    std::string name;   // component name, also the settings value name
    QString label;      // caption shown beside the field (the check box's or button's text)
    std::string value;  // default; "1" or "0" for check boxes and radio buttons
    Kind kind = Kind::Edit;
    int tab = 0;      // index into FrameConfig::tabs
    QString group{};  // radio buttons: the caption of their group
};

struct FrameConfig {
    std::string requestedName;  // login name; the engine appends a number
    QString logCaption;         // caption of the communication-log window
    std::vector<QString> tabs;  // tabs of the preferences window
    std::vector<PrefField> fields;
    int retryIntervalMs = 3000;
    // When the sender field reads this text, a message keeps the sender the engine gave;
    // empty: the sender field is always the sender.
    std::string keepSenderMarker;
    std::function<std::unique_ptr<DriverLink>(FrameServices&)> makeLink;
};

// Names of the fields every driver has.
inline constexpr char kFieldHost[] = "eHost";
inline constexpr char kFieldPort[] = "ePort";
inline constexpr char kFieldOperator[] = "eOperator";
inline constexpr char kFieldSender[] = "eSender";
inline constexpr char kFieldLog[] = "cbLog";

}  // namespace nimbra::driver
