// The legacy encoding on POSIX: ISO-8859-1, whose bytes are the first 256
// code points, unless QZ_LEGACY_ENCODING names another that iconv knows.

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "platform/DebugTrace.h"
#include "platform/NameText.h"

namespace qz {

namespace {

constexpr char kLatin1[] = "ISO-8859-1";

// The converter of the named encoding, opened once; none for ISO-8859-1 or
// a name iconv does not know (then the text is read as ISO-8859-1).
struct LegacyConverter {
    std::string name = kLatin1;
    iconv_t converter{};
    bool opened = false;
    std::mutex mutex;  // an iconv_t keeps state between calls

    LegacyConverter() {
        const char* named = std::getenv("QZ_LEGACY_ENCODING");
        if (named == nullptr || *named == '\0') {
            return;
        }
        converter = ::iconv_open("UTF-8", named);
        // iconv_open fails with (iconv_t)-1.
        opened = reinterpret_cast<std::intptr_t>(converter) != -1;
        if (!opened) {
            DebugTrace(std::string("QZ_LEGACY_ENCODING: unknown encoding, ") + kLatin1 + " used");
            return;
        }
        name = named;
    }
    bool IsLatin1() const { return !opened; }
};

LegacyConverter& Legacy() {
    static LegacyConverter legacy;
    return legacy;
}

}  // namespace

std::string LegacyEncodingName() {
    return Legacy().name;
}

std::string LegacyToUtf8(std::string_view text) {
    LegacyConverter& legacy = Legacy();
    if (legacy.IsLatin1()) {
        return Latin1ToUtf8(text);
    }
    const std::lock_guard lock(legacy.mutex);
    ::iconv(legacy.converter, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
        char* to = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t result = ::iconv(legacy.converter, &in, &inLeft, &to, &room);
        out.append(buffer, static_cast<std::size_t>(to - buffer));
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // A byte the encoding does not know (or a cut sequence at the
            // end) is read as ISO-8859-1, and the reading goes on behind it.
            AppendUtf8(out, static_cast<unsigned char>(*in));
            ++in;
            --inLeft;
            ::iconv(legacy.converter, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

}  // namespace qz
