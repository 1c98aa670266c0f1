// The customer list read from a file of arbitrary bytes: every line's code is
// its first four bytes (fewer when the line is shorter), its name the text
// behind the first " _ " or else the whole line, and the last line of a code
// wins. The file always exists and is not locked, so it never gives an error.
// Reading the file and adding its lines one by one give the same names, and a
// customer is shown as "code_name", or "code_Unknown" for a code not listed.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "report/CustomerList.h"

using namespace qz;
using namespace qz::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchFile scratch("customers");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    scratch.Write(bytes);

    CustomerNames expected;
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

    const CustomerList list = LoadCustomerList(scratch.path());
    QZ_FUZZ_CHECK(!list.error);
    const CustomerNames& names = list.names;
    QZ_FUZZ_CHECK(names == expected);
    CustomerNames added;
    for (const ExpectedLine& line : SplitLines(bytes)) {
        AddCustomerListLine(added, line.text);
    }
    QZ_FUZZ_CHECK(added == names);
    for (const auto& [code, name] : names) {
        QZ_FUZZ_CHECK(code.size() <= 4);
        QZ_FUZZ_CHECK(bytes.find(name) != std::string_view::npos);
        QZ_FUZZ_CHECK(CustomerLabel(names, code) == code + "_" + name);
    }
    // Longer than any code of the file (five bytes, or more than the file).
    const std::string unlisted = "\x01" + std::string(bytes.substr(0, 4));
    QZ_FUZZ_CHECK(CustomerLabel(names, unlisted) == unlisted + "_Unknown");
    return 0;
}
