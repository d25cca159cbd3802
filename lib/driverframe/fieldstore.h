#pragma once
// The preference fields as the protocol thread sees them: a thread-safe copy of the
// preferences window's fields, kept current as the operator edits them. Values the link
// corrects are written back and reported, so that the window shows them too.

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "linkinterfaces.h"

namespace nimbra::driver {

class FieldStore final : public LinkFields {
public:
    // changed(name, value) is called after Set changed a value, on the thread that set it.
    void OnChange(std::function<void(std::string, std::string)> changed);

    std::string Get(std::string_view name) const override;
    void Set(std::string_view name, std::string_view value) override;

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::string, std::less<>> values_;
    std::function<void(std::string, std::string)> changed_;
};

}  // namespace nimbra::driver
