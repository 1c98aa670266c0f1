#pragma once
// The record fields a report filters on (the option filters) and counts by.

#include <array>
#include <cstddef>

#include "records/RecordFields.h"

namespace qz {

enum class Dimension { SettingFile, MachineId, Customer };

inline constexpr std::array kDimensions{Dimension::SettingFile, Dimension::MachineId,
                                        Dimension::Customer};

// The dimensions a report counts OK and NG by: all but the customer.
inline constexpr std::array kCountedDimensions{Dimension::SettingFile, Dimension::MachineId};

// The record field that holds a dimension's value.
constexpr std::size_t FieldOf(Dimension dimension) {
    switch (dimension) {
        case Dimension::SettingFile:
            return kSettingFileField;
        case Dimension::MachineId:
            return kMachineIdField;
        case Dimension::Customer:
            break;
    }
    return kCustomerField;
}

}  // namespace qz
