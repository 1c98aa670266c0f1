// The customer list read from a file of arbitrary bytes: every line's code is
// its first four bytes (fewer when the line is shorter), its name the text
// behind the first " _ " or else the whole line, and the last line of a code
// wins. The file always exists and is not locked, so no message may come up.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "FuzzSupport.h"
#include "report/CustomerList.h"
#include "report/DataPaths.h"

using namespace qz;
using namespace qz::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    AbortOnMessageBox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchFile scratch("customers");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    scratch.Write(bytes);

    std::unordered_map<std::string, std::string> expected;
    for (const ExpectedLine& line : SplitLines(bytes)) {
        const std::string_view text = line.text;
        std::string_view name = text;
        for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
            if (text[i] == ' ' && text[i + 1] == '_' && text[i + 2] == ' ') {
                name = text.substr(i + 3);
                break;
            }
        }
        const std::size_t codeLength = text.size() < 4 ? text.size() : 4;
        expected[std::string(text.substr(0, codeLength))] = std::string(name);
    }

    g_strCustomerListPath = scratch.path();
    g_customerNames.clear();
    LoadCustomerList();
    QZ_FUZZ_CHECK(g_customerNames == expected);
    for (const auto& [code, name] : g_customerNames) {
        QZ_FUZZ_CHECK(code.size() <= 4);
        QZ_FUZZ_CHECK(bytes.find(name) != std::string_view::npos);
    }
    return 0;
}
