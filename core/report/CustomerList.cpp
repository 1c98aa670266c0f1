#include "report/CustomerList.h"

#include "platform/FileError.h"
#include "platform/MessageBox.h"
#include "platform/TextFileReader.h"
#include "report/DataPaths.h"

namespace qz {

std::unordered_map<std::string, std::string> g_customerNames;

void AddCustomerListLine(std::string_view line) {
    // The code is cut before the separator is searched, so the two may overlap.
    const std::string_view code = line.substr(0, 4);
    std::string_view name = line;
    if (const auto sep = line.find(" _ "); sep != std::string_view::npos)
        name = line.substr(sep + 3);
    g_customerNames.insert_or_assign(std::string(code), std::string(name));
}

void LoadCustomerList() {
    try {
        TextFileReader reader(g_strCustomerListPath, ShareMode::Exclusive);
        std::string_view line;
        while (reader.ReadLine(line))
            AddCustomerListLine(line);
        reader.Close();
    } catch (const FileError& e) {
        ShowMessageBox(e.ShownDescription());
    }
}

}  // namespace qz
