#pragma once
// The main dialog's line on the values a report leaves out ("Leaving out: 3
// setting files, 1 customer") and the full list behind it.

#include <string>

#include <wx/string.h>

#include "records/OptionValues.h"
#include "report/CustomerList.h"

namespace qz {

// One line counting the excluded values of each kind; empty when none are.
std::string ExclusionLine(const OptionValues& excluded);

// Every excluded value, a line a kind ("Setting files: A, B"); customers as
// the option dialog shows them, code and name; each value as the lists show
// it. Empty when none are.
wxString ExclusionDetails(const OptionValues& excluded, const CustomerNames& customerNames);

}  // namespace qz
