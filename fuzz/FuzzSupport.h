#pragma once
// Helpers shared by the fuzz targets: a failed property aborts with a message
// (libFuzzer then saves the input), and inputs that must go through a file are
// written to one scratch file per process.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace qz::fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "property failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}

#define QZ_FUZZ_CHECK(condition)                              \
    do {                                                      \
        if (!(condition)) {                                   \
            ::qz::fuzz::Fail(#condition, __FILE__, __LINE__); \
        }                                                     \
    } while (false)

// A scratch file of this process (on tmpfs where there is one, so that the
// per-input write costs no disk I/O), removed at exit.
class ScratchFile {
  public:
    explicit ScratchFile(std::string_view tag);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return m_path; }
    // Replaces the file's content with bytes.
    void Write(std::string_view bytes) const;
    // Appends bytes to the file.
    void Append(std::string_view bytes) const;

  private:
    std::string m_path;
};

// The lines of bytes as the record file reader is meant to return them: split
// after each LF, one CR before the LF dropped, a last line without LF kept
// when it is not empty (a lone CR at its end dropped). Each line is paired with the bytes it takes
// up in the file, line end included.
struct ExpectedLine {
    std::string_view text;
    std::size_t fileBytes;
};
std::vector<ExpectedLine> SplitLines(std::string_view bytes);

}  // namespace qz::fuzz
