#pragma once
// The values of the three option filters: Setting Files, Machine (Write Board)
// IDs and customer codes. The option scan finds them; a report leaves out the
// records that hold an excluded one.

#include "records/CountMap.h"
#include "records/Dimension.h"

namespace qz {

struct OptionValues {
    CValueSet settingFiles;
    CValueSet machineIds;
    CValueSet customers;

    // The values of one dimension, for code that treats all alike.
    CValueSet& Of(Dimension dimension) { return this->*MemberOf(dimension); }
    const CValueSet& Of(Dimension dimension) const { return this->*MemberOf(dimension); }

    bool IsEmpty() const {
        for (const Dimension dimension : kDimensions) {
            if (!Of(dimension).IsEmpty()) {
                return false;
            }
        }
        return true;
    }

    void Merge(const OptionValues& other) {
        for (const Dimension dimension : kDimensions) {
            for (const std::string& value : other.Of(dimension)) {
                Of(dimension).Insert(value);
            }
        }
    }

  private:
    static constexpr CValueSet OptionValues::*MemberOf(Dimension dimension) {
        switch (dimension) {
            case Dimension::SettingFile:
                return &OptionValues::settingFiles;
            case Dimension::MachineId:
                return &OptionValues::machineIds;
            case Dimension::Customer:
                break;
        }
        return &OptionValues::customers;
    }
};

}  // namespace qz
