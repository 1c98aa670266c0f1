// The record file reader fed arbitrary bytes: the lines it returns, put back
// together with the line ends they stood with, reproduce the file, and
// GetPosition is the number of bytes consumed after every line. Part of the
// input may be appended only after the reader has hit the end of the file, as
// a machine appends while the report runs; long runs of line bytes may be
// inserted so that lines straddle the reader's buffer and make it grow.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "platform/TextFileReader.h"

using namespace qz;
using namespace qz::fuzz;

namespace {

constexpr std::size_t kPadUnit = 16 * 1024;

struct Reading {
    const std::string& file;  // everything that will ever be in the file
    std::size_t available;    // bytes written so far
    std::uint64_t position = 0;
    std::size_t lines = 0;
};

// Reads lines until the end of what is written now; checks each against the
// bytes it took up.
void ReadToEnd(TextFileReader& reader, Reading& r) {
    std::string_view line;
    while (reader.ReadLine(line)) {
        const std::uint64_t position = reader.GetPosition();
        QZ_FUZZ_CHECK(position > r.position);
        QZ_FUZZ_CHECK(position <= r.available);
        const std::string_view chunk =
            std::string_view(r.file).substr(r.position, position - r.position);
        if (chunk.back() == '\n') {
            std::string_view text = chunk.substr(0, chunk.size() - 1);
            if (!text.empty() && text.back() == '\r') {
                text.remove_suffix(1);
            }
            QZ_FUZZ_CHECK(line == text);
            QZ_FUZZ_CHECK(text.find('\n') == std::string_view::npos);
            QZ_FUZZ_CHECK(!reader.Unterminated());
        } else {
            // A line without an end is the rest of the file as it stands,
            // but for a lone CR at the very end, which ends it as CR LF would.
            QZ_FUZZ_CHECK(position == r.available);
            std::string_view text = chunk;
            if (text.back() == '\r') {
                text.remove_suffix(1);
            }
            QZ_FUZZ_CHECK(line == text);
            QZ_FUZZ_CHECK(chunk.find('\n') == std::string_view::npos);
            QZ_FUZZ_CHECK(reader.Unterminated() == (text.size() == chunk.size()));
        }
        r.position = position;
        ++r.lines;
    }
    QZ_FUZZ_CHECK(reader.GetPosition() == r.available);
    QZ_FUZZ_CHECK(!reader.ReadLine(line));  // the end stays the end
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchFile scratch("reader");
    if (size < 3) {
        return 0;
    }
    const std::uint8_t pad = data[0];
    const std::uint8_t padAt = data[1];
    const std::uint8_t cutAt = data[2];
    std::string file(reinterpret_cast<const char*>(data + 3), size - 3);
    if (pad & 0x80) {
        const std::size_t at = file.size() * padAt / 256;
        file.insert(at, (pad & 0x7F) * kPadUnit, 'x');
    }
    // 255: the whole file is there from the start.
    const std::size_t cut = cutAt == 255 ? file.size() : file.size() * cutAt / 255;

    scratch.Write(std::string_view(file).substr(0, cut));
    TextFileReader reader(scratch.path(), ShareMode::Shared);
    Reading r{file, cut};
    ReadToEnd(reader, r);
    if (cut == file.size()) {
        // Nothing appended: exactly the lines of the plain splitting rule.
        QZ_FUZZ_CHECK(r.lines == SplitLines(file).size());
    } else {
        scratch.Append(std::string_view(file).substr(cut));
        r.available = file.size();
        ReadToEnd(reader, r);
    }
    reader.Close();
    return 0;
}
