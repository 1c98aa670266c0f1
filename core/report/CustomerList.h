#pragma once
// The customer list file: code = first four bytes of a line, name = text after
// the first " _ " (else the whole line); the last line for a code wins.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/FileError.h"

namespace qz {

// Customer code -> name.
using CustomerNames = std::unordered_map<std::string, std::string>;

// What reading the customer list gave: the names read, and the file error
// that ended the reading, if one did (the names then hold the entries read
// until then).
struct CustomerList {
    CustomerNames names;
    std::optional<FileError> error;
};

// Reads the customer list at path (other readers welcome, writers kept out;
// a busy list is tried again briefly).
CustomerList LoadCustomerList(const std::string& path);

// Parses one line into names.
void AddCustomerListLine(CustomerNames& names, std::string_view line);

// "code_name", or "code_Unknown" when names has no entry for exactly code: the
// way a customer is shown.
std::string CustomerLabel(const CustomerNames& names, const std::string& code);

}  // namespace qz
