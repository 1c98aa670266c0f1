#include "bench/RecordGenerator.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string_view>

namespace qz {
namespace {

// splitmix64: small, fast and the same on every platform (the standard
// distributions are not).
class Rng {
  public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform enough in [0, n) for test data.
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next() % n); }

  private:
    std::uint64_t m_state;
};

constexpr std::array<std::string_view, 8> kSettingFiles = {
    "MAIN_SET_A01_REV3.bin", "MAIN_SET_A02_REV3.bin", "SUB_SET_B10_REV1.bin",
    "SUB_SET_B11_REV2.bin",  "PWR_CTRL_C05_REV4.bin", "PWR_CTRL_C06_REV4.bin",
    "HDMI_EDID_D20_V2.bin",  "USB_PD_E31_REV1.bin"};
constexpr std::array<std::string_view, 6> kCustomers = {"0A1B", "0A2C", "1F00",
                                                        "2B7E", "3C11", "7D42"};
constexpr std::array<std::string_view, 12> kMachineIds = {
    "WB-01-P1", "WB-02-P1", "WB-03-P1", "WB-04-P1", "WB-05-P2", "WB-06-P2",
    "WB-07-P2", "WB-08-P2", "WB-09-P3", "WB-10-P3", "WB-11-P3", "WB-12-P3"};

constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

struct Clock {
    int year = 2018, month = 1, day = 1, hour = 8, minute = 0, second = 0;

    void AdvanceSeconds(int s) {
        second += s;
        minute += second / 60;
        second %= 60;
        hour += minute / 60;
        minute %= 60;
        while (hour >= 24) {
            hour -= 24;
            int dim = kDaysInMonth[month - 1] + (month == 2 && IsLeap(year) ? 1 : 0);
            if (++day > dim) {
                day = 1;
                if (++month > 12) {
                    month = 1;
                    ++year;
                }
            }
        }
    }
};

class Output {
  public:
    Output(const std::string& path) : m_path(path), m_file(std::fopen(path.c_str(), "wb")) {
        if (!m_file)
            Fail();
        m_buffer = std::make_unique<char[]>(kBufferSize);
    }
    ~Output() {
        if (m_file)
            std::fclose(m_file);
    }
    void Append(const char* text, std::size_t n) {
        if (m_used + n > kBufferSize)
            Flush();
        std::memcpy(m_buffer.get() + m_used, text, n);
        m_used += n;
        m_total += n;
    }
    void Append(std::string_view text) { Append(text.data(), text.size()); }
    void Close() {
        Flush();
        std::FILE* file = m_file;
        m_file = nullptr;
        if (std::fclose(file) != 0)
            Fail();
    }
    std::uint64_t Total() const { return m_total; }

  private:
    static constexpr std::size_t kBufferSize = 1 << 20;

    void Flush() {
        if (m_used && std::fwrite(m_buffer.get(), 1, m_used, m_file) != m_used)
            Fail();
        m_used = 0;
    }
    [[noreturn]] void Fail() { throw std::runtime_error(m_path + ": " + std::strerror(errno)); }

    std::string m_path;
    std::FILE* m_file;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
    std::uint64_t m_total = 0;
};

}  // namespace

RecordFileStats GenerateRecordFile(const std::string& path, std::uint64_t minBytes,
                                   std::uint64_t seed) {
    Rng rng(seed);
    Output out(path);
    Clock clock;
    RecordFileStats stats;
    out.Append("Date,Cable No.,Setting File,Customer,Write Board ID,Count,Result\r\n");

    std::uint64_t cable = 100000 + rng.Below(100000);
    char line[256];
    while (out.Total() < minBytes) {
        clock.AdvanceSeconds(1 + static_cast<int>(rng.Below(4)));
        std::uint32_t kind = rng.Below(1000);
        const std::string_view sf = kSettingFiles[rng.Below(kSettingFiles.size())];
        const std::string_view cust = kCustomers[rng.Below(kCustomers.size())];
        const std::string_view id = kMachineIds[rng.Below(kMachineIds.size())];
        std::uint32_t r = rng.Below(100);
        const char* result = r < 93 ? "OK" : r < 98 ? "NG" : r < 99 ? "ERR_VERIFY" : "ok";
        int n;
        ++cable;
        if (kind < 2) {
            // a short line: the write was aborted before its result was logged
            n = std::snprintf(line, sizeof line, "%04d/%02d/%02d %02d:%02d:%02d,CBL-%llu,%.*s",
                              clock.year, clock.month, clock.day, clock.hour, clock.minute,
                              clock.second, static_cast<unsigned long long>(cable),
                              static_cast<int>(sf.size()), sf.data());
        } else if (kind < 3) {
            n = 0;  // a blank line
        } else if (kind < 6) {
            // the customer code is missing: later fields move one place forward
            n = std::snprintf(line, sizeof line,
                              "%04d/%02d/%02d %02d:%02d:%02d,CBL-%llu,%.*s,,%.*s,1,%s", clock.year,
                              clock.month, clock.day, clock.hour, clock.minute, clock.second,
                              static_cast<unsigned long long>(cable), static_cast<int>(sf.size()),
                              sf.data(), static_cast<int>(id.size()), id.data(), result);
        } else {
            const bool dateOnly = kind < 100;
            char date[64];
            if (dateOnly) {
                std::snprintf(date, sizeof date, "%04d/%02d/%02d", clock.year, clock.month,
                              clock.day);
            } else {
                std::snprintf(date, sizeof date, "%04d/%02d/%02d %02d:%02d:%02d", clock.year,
                              clock.month, clock.day, clock.hour, clock.minute, clock.second);
            }
            n = std::snprintf(line, sizeof line, "%s,CBL-%04d%02d%02d-%06llu,%.*s,%.*s,%.*s,%u,%s",
                              date, clock.year, clock.month, clock.day,
                              static_cast<unsigned long long>(cable % 1000000),
                              static_cast<int>(sf.size()), sf.data(), static_cast<int>(cust.size()),
                              cust.data(), static_cast<int>(id.size()), id.data(), 1 + rng.Below(3),
                              result);
        }
        out.Append(line, static_cast<std::size_t>(n));
        out.Append(rng.Below(50) == 0 ? std::string_view("\r\n") : std::string_view("\n"));
        ++stats.records;
    }
    out.Close();
    stats.bytes = out.Total();
    return stats;
}

}  // namespace qz
