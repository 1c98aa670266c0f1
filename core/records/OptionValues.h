#pragma once
// The values of the three option filters: Setting Files, Machine (Write Board)
// IDs and customer codes. The option scan finds them; a report leaves out the
// records that hold an excluded one.

#include "records/CountMap.h"

namespace qz {

struct OptionValues {
    CValueSet settingFiles;
    CValueSet machineIds;
    CValueSet customers;

    void Merge(const OptionValues& other) {
        InsertAll(settingFiles, other.settingFiles);
        InsertAll(machineIds, other.machineIds);
        InsertAll(customers, other.customers);
    }

  private:
    static void InsertAll(CValueSet& into, const CValueSet& from) {
        for (const std::string& value : from) {
            into.Insert(value);
        }
    }
};

}  // namespace qz
