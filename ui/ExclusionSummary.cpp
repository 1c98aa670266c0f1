#include "ui/ExclusionSummary.h"

#include "ui/TextConvert.h"

namespace qz {

namespace {

struct KindNames {
    const char* one;
    const char* many;
    const char* heading;
};

KindNames NamesOf(Dimension dimension) {
    switch (dimension) {
        case Dimension::SettingFile:
            return {"setting file", "setting files", "Setting files"};
        case Dimension::MachineId:
            return {"machine ID", "machine IDs", "Machine IDs"};
        case Dimension::Customer:
            break;
    }
    return {"customer", "customers", "Customers"};
}

template <typename Text>
void AppendSeparated(Text& text, const char* separator, const Text& part) {
    if (!text.empty())
        text += separator;
    text += part;
}

}  // namespace

std::string ExclusionLine(const OptionValues& excluded) {
    std::string counts;
    for (const Dimension dimension : kDimensions) {
        const std::size_t n = excluded.Of(dimension).Size();
        if (n == 0)
            continue;
        const KindNames names = NamesOf(dimension);
        AppendSeparated(counts, ", ", std::to_string(n) + " " + (n == 1 ? names.one : names.many));
    }
    return counts.empty() ? counts : "Leaving out: " + counts;
}

wxString ExclusionDetails(const OptionValues& excluded, const CustomerNames& customerNames) {
    wxString details;
    for (const Dimension dimension : kDimensions) {
        wxString values;
        for (const std::string& value : excluded.Of(dimension)) {
            AppendSeparated(
                values, ", ",
                ToDisplayText(dimension == Dimension::Customer ? CustomerLabel(customerNames, value)
                                                               : value));
        }
        if (!values.empty())
            AppendSeparated(details, "\n", wxString(NamesOf(dimension).heading) + ": " + values);
    }
    return details;
}

}  // namespace qz
