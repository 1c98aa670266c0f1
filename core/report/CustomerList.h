#pragma once
// The customer list file: code = first four bytes of a line, name = text after
// the first " _ " (else the whole line); the last line for a code wins.

#include <string>
#include <string_view>
#include <unordered_map>

namespace qz {

extern std::unordered_map<std::string, std::string> g_customerNames;

// Reads g_strCustomerListPath (opened exclusively) into g_customerNames; a file
// error is shown in a message box and the entries read so far are kept.
void LoadCustomerList();

// Parses one line into g_customerNames.
void AddCustomerListLine(std::string_view line);

}  // namespace qz
