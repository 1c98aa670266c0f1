#include "report/CustomerList.h"

#include "platform/FileError.h"
#include "platform/TextFileReader.h"
#include "report/MessageTexts.h"

namespace qz {

void AddCustomerListLine(CustomerNames& names, std::string_view line) {
    // The code is cut before the separator is searched, so the two may overlap.
    const std::string_view code = line.substr(0, 4);
    std::string_view name = line;
    if (const auto sep = line.find(" _ "); sep != std::string_view::npos)
        name = line.substr(sep + 3);
    names.insert_or_assign(std::string(code), std::string(name));
}

CustomerList LoadCustomerList(const std::string& path) {
    CustomerList list;
    try {
        TextFileReader reader(path, ShareMode::DenyWriters);
        std::string_view line;
        while (reader.ReadLine(line))
            AddCustomerListLine(list.names, line);
        reader.Close();
    } catch (const FileError& e) {
        list.error = e;
    }
    return list;
}

std::string CustomerLabel(const CustomerNames& names, const std::string& code) {
    const auto name = names.find(code);
    return code + "_" + (name != names.end() ? name->second : std::string(kUnknownCustomerName));
}

}  // namespace qz
