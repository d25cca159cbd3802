#pragma once

// The concatenation reference of the PDU codec kept in the settings store (value
// "udhsourceport" of the "pducoder" section), so that every process and every run goes on
// from the last reference used.

#include "pducoder.h"

namespace nimbra {

class SettingsPduReferenceStore final : public PduReferenceStore {
public:
    std::string Read() override;
    void Write(const std::string& value) override;
};

}  // namespace nimbra
