#include "tests/unit/reliability/RecordTree.h"

#include "tests/support/RecordText.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <set>
#include <string_view>

namespace qz::test {

namespace {

class Picker {
  public:
    explicit Picker(std::uint32_t seed) : m_rng(seed) {}

    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }
    bool Percent(int p) { return Int(0, 99) < p; }
    template <typename T>
    const T& From(const std::vector<T>& values) {
        return values[static_cast<std::size_t>(Int(0, static_cast<int>(values.size()) - 1))];
    }

  private:
    std::mt19937 m_rng;
};

// Keys with blanks, letter case, quotes, a backslash and a byte above 127.
const std::vector<std::string> kSettingFiles = {"SET_A.bin", "SET_B.bin", "set_a.bin",
                                                "SET A",     "S'1\\x",    "Z\xE9RO"};
const std::vector<std::string> kMachineIds = {"WB-1", "WB-2", "wb-1", "WB 3", "W\"4"};
const std::vector<std::string> kCustomers = {"C001", "C002", "C 03", "c001"};
// None of them is a date in any order of its parts.
const std::vector<std::string> kBadDates = {"2018/02/30", "n/a", "2018/05/03x", "0000/00/00",
                                            "2018/04/31"};

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

Day AddDays(Day d, int n) {
    for (; n > 0; --n) {
        if (++d.day > DaysInMonth(d.year, d.month)) {
            d.day = 1;
            if (++d.month > 12) {
                d.month = 1;
                ++d.year;
            }
        }
    }
    return d;
}

std::string DateText(Picker& pick, const Day& d) {
    char text[64];
    const char sep = pick.Percent(20) ? '-' : '/';
    if (pick.Percent(50)) {
        std::snprintf(text, sizeof text, "%04d%c%02d%c%02d", d.year, sep, d.month, sep, d.day);
    } else {
        std::snprintf(text, sizeof text, "%04d%c%d%c%d %02d:%02d:%02d", d.year, sep, d.month, sep,
                      d.day, pick.Int(0, 23), pick.Int(0, 59), pick.Int(0, 59));
    }
    return text;
}

std::string RecordLine(Picker& pick, const Day& first) {
    if (pick.Percent(4)) {
        return pick.From(std::vector<std::string>{"", " ", ",,,,", "2018/05/10,c,SET_A.bin", "\r"});
    }
    std::vector<std::string> fields = {
        pick.Percent(6) ? pick.From(kBadDates) : DateText(pick, AddDays(first, pick.Int(0, 50))),
        "c" + std::to_string(pick.Int(0, 9999)),
        pick.From(kSettingFiles),
        pick.Percent(3) ? "" : pick.From(kCustomers),  // an empty slot shifts the rest
        pick.From(kMachineIds),
        std::to_string(pick.Int(1, 8)),
        pick.From(std::vector<std::string>{"OK", "OK", "OK", "OK", "NG", "ok", "OK ", ""}),
    };
    if (pick.Percent(5)) {
        fields.pop_back();  // no result field at all
    } else if (pick.Percent(8)) {
        fields.push_back("extra");
    }
    // Empty fields make the runs of commas the splitter must take as one.
    std::vector<std::string> joined;
    if (pick.Percent(5)) {
        joined = {"", ""};
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        joined.push_back(fields[i]);
        if (i + 1 < fields.size() && pick.Percent(4)) {
            joined.insert(joined.end(), {"", ""});
        }
    }
    return JoinFields(joined);
}

std::string FileBytes(Picker& pick, const Day& first) {
    if (pick.Percent(5)) {
        return pick.Percent(50) ? "" : "header only\n";
    }
    const bool crlf = pick.Percent(30);
    std::string bytes(kRecordHeader);
    bytes += crlf ? "\r\n" : "\n";
    const int lines = pick.Int(0, 120);
    for (int i = 0; i < lines; ++i) {
        bytes += RecordLine(pick, first);
        bytes += crlf || pick.Percent(5) ? "\r\n" : "\n";
    }
    if (pick.Percent(25)) {
        bytes += RecordLine(pick, first);  // a last line without a line end
    }
    return bytes;
}

// Subsets of the values, so that some keys are left out.
std::vector<std::string> SomeOf(Picker& pick, const std::vector<std::string>& values, int p) {
    std::vector<std::string> out;
    for (const std::string& value : values) {
        if (pick.Percent(p)) {
            out.push_back(value);
        }
    }
    return out;
}

// yyyy/mm/dd or yyyy-mm-dd (one separator throughout), month and day of one
// or two digits, optionally followed by " hh:mm:ss"; the date must exist.
std::optional<Day> ReadDate(std::string_view text) {
    auto number = [&text](std::size_t minDigits, std::size_t maxDigits) -> std::optional<int> {
        std::size_t n = 0;
        int value = 0;
        while (n < text.size() && n < maxDigits && text[n] >= '0' && text[n] <= '9') {
            value = value * 10 + (text[n] - '0');
            ++n;
        }
        if (n < minDigits) {
            return std::nullopt;
        }
        text.remove_prefix(n);
        return value;
    };
    auto expect = [&text](char c) {
        if (text.empty() || text.front() != c) {
            return false;
        }
        text.remove_prefix(1);
        return true;
    };
    const auto year = number(4, 4);
    if (!year || text.empty() || (text.front() != '/' && text.front() != '-')) {
        return std::nullopt;
    }
    const char sep = text.front();
    text.remove_prefix(1);
    const auto month = number(1, 2);
    if (!month || !expect(sep)) {
        return std::nullopt;
    }
    const auto day = number(1, 2);
    if (!day || *month < 1 || *month > 12 || *year < 100 || *day < 1 ||
        *day > DaysInMonth(*year, *month)) {
        return std::nullopt;
    }
    if (!text.empty()) {
        const auto h = (expect(' ') ? number(2, 2) : std::nullopt);
        const auto m = (h && expect(':') ? number(2, 2) : std::nullopt);
        const auto s = (m && expect(':') ? number(2, 2) : std::nullopt);
        if (!s || !text.empty() || *h > 23 || *m > 59 || *s > 59) {
            return std::nullopt;
        }
    }
    return Day{*year, *month, *day};
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == ',') {
            if (i > start && fields.size() < 7) {
                fields.push_back(line.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    return fields;
}

std::vector<std::string_view> Lines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        if (lf == std::string_view::npos) {
            lines.push_back(bytes);
            break;
        }
        std::string_view line = bytes.substr(0, lf);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        bytes.remove_prefix(lf + 1);
    }
    return lines;
}

bool Contains(const std::vector<std::string>& values, std::string_view value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace

RecordTree MakeRecordTree(std::uint32_t seed) {
    Picker pick(seed);
    RecordTree tree;
    const int machines = pick.Int(1, 4);
    for (int m = 0; m < machines; ++m) {
        tree.machines.push_back(m == 1 ? "Line 2" : "M" + std::to_string(m + 1));
    }
    const Day first{2018, 4, 20};
    for (const std::string& machine : tree.machines) {
        const int files = pick.Int(0, 4);
        for (int f = 0; f < files; ++f) {
            tree.files.push_back(
                {machine, "rec" + std::to_string(f) + ".csv", FileBytes(pick, first)});
        }
    }

    ReportChoice& choice = tree.choice;
    for (int m = 0; m < machines; ++m) {
        if (pick.Percent(75) || (m == machines - 1 && choice.machines.empty())) {
            choice.machines.push_back(tree.machines[static_cast<std::size_t>(m)]);
        }
    }
    choice.from = AddDays(first, pick.Int(0, 20));
    choice.to = AddDays(choice.from, pick.Int(0, 25));
    choice.excludedSettingFiles = SomeOf(pick, kSettingFiles, 15);
    choice.excludedMachineIds = SomeOf(pick, kMachineIds, 15);
    choice.excludedCustomers = SomeOf(pick, kCustomers, 15);
    choice.workers = pick.Int(1, 6);
    return tree;
}

ExpectedTotals CountIndependently(const RecordTree& tree) {
    const ReportChoice& choice = tree.choice;
    ExpectedTotals totals;
    for (const RecordFile& file : tree.files) {
        if (!Contains(choice.machines, file.machine)) {
            continue;
        }
        totals.bytes += file.bytes.size();
        const std::vector<std::string_view> lines = Lines(file.bytes);
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const std::vector<std::string_view> f = Fields(lines[i]);
            if (f.size() < 6) {
                continue;
            }
            const std::optional<Day> day = ReadDate(f[0]);
            if (!day || *day < choice.from || choice.to < *day ||
                Contains(choice.excludedSettingFiles, f[2]) ||
                Contains(choice.excludedCustomers, f[3]) ||
                Contains(choice.excludedMachineIds, f[4])) {
                continue;
            }
            const bool ok = f.size() == 7 && f[6] == "OK";
            auto& sf = totals.settingFiles[std::string(f[2])];
            auto& id = totals.machineIds[std::string(f[4])];
            if (ok) {
                ++totals.ok;
                ++sf.first;
                ++id.first;
            } else {
                ++totals.ng;
                ++sf.second;
                ++id.second;
            }
        }
    }
    return totals;
}

}  // namespace qz::test
