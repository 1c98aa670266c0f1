#include "bench/LineShapedRecords.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace qz {
namespace {

constexpr std::array<std::string_view, 10> kSettingFiles = {
    "MAIN_SET_A01_REV3.bin", "MAIN_SET_A02_REV3.bin", "SUB_SET_B10_REV1.bin",
    "SUB_SET_B11_REV2.bin",  "PWR_CTRL_C05_REV4.bin", "PWR_CTRL_C06_REV4.bin",
    "HDMI_EDID_D20_V2.bin",  "USB_PD_E31_REV1.bin",   "USB_PD_E32_REV1.bin",
    "AUDIO_F01_REV2.bin"};
constexpr std::array<std::string_view, 4> kCustomers = {"0A1B", "0A2C", "1F00", "2B7E"};
constexpr int kBoards = 16;
constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

std::uint64_t Mix(std::uint64_t x) {
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

class File {
  public:
    File(const std::string& path, const char* mode)
        : m_path(path), m_file(std::fopen(path.c_str(), mode)) {
        if (m_file == nullptr) {
            Fail();
        }
    }
    ~File() {
        if (m_file != nullptr) {
            std::fclose(m_file);
        }
    }
    void Put(const char* text, std::size_t n) {
        if (std::fwrite(text, 1, n, m_file) != n) {
            Fail();
        }
        m_written += n;
    }
    void Close() {
        std::FILE* file = m_file;
        m_file = nullptr;
        if (std::fclose(file) != 0) {
            Fail();
        }
    }
    std::uint64_t Written() const { return m_written; }

  private:
    [[noreturn]] void Fail() { throw std::runtime_error(m_path + ": " + std::strerror(errno)); }
    std::string m_path;
    std::FILE* m_file;
    std::uint64_t m_written = 0;
};

// Writes records of one day from second first on, spaced by step seconds,
// until bytes are written or second end; lots change every few hours.
void WriteDay(File& out, int year, int month, int day, int first, int end, int step,
              std::uint64_t bytes, std::uint64_t seed) {
    char line[160];
    const std::uint64_t start = out.Written();
    for (int second = first, n = 0; second < end && out.Written() - start < bytes;
         second += step, ++n) {
        const int lot = second / (3 * 3600);  // a lot runs three hours
        const std::uint64_t key = Mix(seed ^ static_cast<std::uint64_t>(day * 8 + lot));
        const std::string_view setting = kSettingFiles[key % kSettingFiles.size()];
        const std::string_view customer = kCustomers[(key >> 8) % kCustomers.size()];
        const int board = 1 + n % kBoards;
        const bool ok = Mix(key + static_cast<std::uint64_t>(n)) % 100 >= 3;
        const int length = std::snprintf(
            line, sizeof line,
            "%04d/%02d/%02d %02d:%02d:%02d,CBL-%04d%02d%02d-%06d,%.*s,%.*s,WB-%02d,1,%s\n", year,
            month, day, second / 3600, second / 60 % 60, second % 60, year, month, day, n,
            static_cast<int>(setting.size()), setting.data(), static_cast<int>(customer.size()),
            customer.data(), board, ok ? "OK" : "NG");
        out.Put(line, static_cast<std::size_t>(length));
    }
}

}  // namespace

std::uint64_t GenerateLineShapedMonth(const std::string& path, int year, int month,
                                      std::uint64_t minBytes, std::uint64_t seed) {
    File out(path, "wb");
    const char header[] = "Date,Cable No.,Setting File,Customer,Write Board ID,Count,Result\n";
    out.Put(header, sizeof header - 1);
    const int days = kDaysInMonth[(month - 1) % 12];
    constexpr int kLineBytes = 70;  // a little less than a line: the day's bytes fit
    const std::uint64_t perDay = minBytes / static_cast<std::uint64_t>(days) + 1;
    // Records spaced over 06:00 to 22:00, the day's last hours left for appends.
    const std::uint64_t lines = perDay / kLineBytes + 1;
    const int step = static_cast<int>(std::max<std::uint64_t>(1, 16 * 3600 / lines));
    for (int day = 1; day <= days; ++day) {
        WriteDay(out, year, month, day, 6 * 3600, 22 * 3600, step, perDay, seed);
    }
    out.Close();
    return out.Written();
}

std::uint64_t AppendLineShapedRecords(const std::string& path, int year, int month,
                                      std::uint64_t bytes, std::uint64_t seed) {
    File out(path, "ab");
    const int day = kDaysInMonth[(month - 1) % 12];
    WriteDay(out, year, month, day, 22 * 3600, 24 * 3600, 1, bytes, seed + 1);
    out.Close();
    return out.Written();
}

}  // namespace qz
