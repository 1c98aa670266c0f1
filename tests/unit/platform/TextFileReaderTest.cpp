#include "platform/TextFileReader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileError.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

struct Line {
    std::string text;
    std::uint64_t position;  // GetPosition() right after the line
};

std::vector<Line> ReadAll(TextFileReader& reader) {
    std::vector<Line> lines;
    std::string_view line;
    while (reader.ReadLine(line)) {
        lines.push_back({std::string(line), reader.GetPosition()});
    }
    return lines;
}

std::vector<Line> ReadAll(const std::string& path) {
    TextFileReader reader(path, ShareMode::Shared);
    return ReadAll(reader);
}

// The lines a reader must return, found the slow and obvious way.
std::vector<Line> SplitLines(const std::string& bytes) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < bytes.size()) {
        std::size_t lf = bytes.find('\n', begin);
        std::size_t next = lf == std::string::npos ? bytes.size() : lf + 1;
        std::size_t end = lf == std::string::npos ? bytes.size() : lf;
        if (lf != std::string::npos && end > begin && bytes[end - 1] == '\r') {
            --end;
        }
        lines.push_back({bytes.substr(begin, end - begin), next});
        begin = next;
    }
    return lines;
}

void ExpectSameLines(const std::vector<Line>& actual, const std::vector<Line>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].text, expected[i].text) << "line " << i;
        EXPECT_EQ(actual[i].position, expected[i].position) << "line " << i;
    }
}

TEST(TextFileReader, SplitsLinesAndTracksPosition) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<Line> lines;
    };
    const std::vector<Case> cases = {
        {"empty file", "", {}},
        {"header only", "Date,Time,Result\r\n", {{"Date,Time,Result", 18}}},
        {"no final line end", "a\nbc", {{"a", 2}, {"bc", 4}}},
        {"CR LF and LF mixed", "a\r\nb\nc\r\n", {{"a", 3}, {"b", 5}, {"c", 8}}},
        {"lone CR stays, but ends the file's last line", "a\rb\r\nc\r", {{"a\rb", 5}, {"c", 7}}},
        {"empty lines", "\n\r\nx\n\n", {{"", 1}, {"", 3}, {"x", 5}, {"", 6}}},
        {"NUL and high bytes",
         std::string("x\0y\xff\x80\xe9\n", 7),
         {{std::string("x\0y\xff\x80\xe9", 6), 7}}},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectSameLines(ReadAll(dir.Write("f.txt", c.bytes)), c.lines);
    }
}

// At least size bytes of lines shorter than maxLength, every third ended by
// CR LF, the rest by LF, and a last line without a line end.
std::string VaryingLines(std::size_t size, unsigned maxLength) {
    std::string bytes;
    for (unsigned i = 0; bytes.size() < size; ++i) {
        bytes.append((i * 7919u) % maxLength, static_cast<char>('a' + i % 26));
        bytes += (i % 3 == 0) ? "\r\n" : "\n";
    }
    return bytes + "last";
}

TEST(TextFileReader, LinesAcrossBufferRefillsMatchPlainSplit) {
    // Line ends (and the CR of a CR LF) fall on every offset of the internal
    // buffer boundaries.
    const std::string bytes = VaryingLines(std::size_t{5} << 20, 613);
    test::TempDir dir;
    const auto lines = ReadAll(dir.Write("big.txt", bytes));
    ExpectSameLines(lines, SplitLines(bytes));
    EXPECT_EQ(lines.back().position, bytes.size());

    // A CR LF split exactly where the first 1 MiB read ends.
    std::string split = "ab\n" + std::string((1u << 20) - 4, 'y') + "\r\nz\n";
    ASSERT_EQ(split.substr((1u << 20) - 1, 2), "\r\n");
    ExpectSameLines(ReadAll(dir.Write("split.txt", split)), SplitLines(split));
}

// A caller that finds lines in Buffered() itself and consumes them, mixed
// with ReadLine across refills, sees the same lines at the same positions.
TEST(TextFileReader, ConsumingBufferedLinesIsLikeReadingThem) {
    const std::string bytes = VaryingLines(std::size_t{3} << 20, 211);
    test::TempDir dir;
    TextFileReader reader(dir.Write("big.txt", bytes), ShareMode::Shared);
    std::vector<Line> lines;
    std::string_view line;
    for (;;) {
        // Every line that the buffer holds whole, then one by ReadLine.
        for (std::string_view buffered = reader.Buffered();;) {
            const std::size_t lf = buffered.find('\n');
            if (lf == std::string_view::npos) {
                break;
            }
            std::string_view text = buffered.substr(0, lf);
            if (!text.empty() && text.back() == '\r') {
                text.remove_suffix(1);
            }
            reader.Consume(lf + 1);
            lines.push_back({std::string(text), reader.GetPosition()});
            buffered.remove_prefix(lf + 1);
        }
        if (!reader.ReadLine(line)) {
            break;
        }
        lines.push_back({std::string(line), reader.GetPosition()});
    }
    ExpectSameLines(lines, SplitLines(bytes));
}

TEST(TextFileReader, LineLongerThanBufferIsReadWhole) {
    // The longest line that is held (its CR counts): four times the first
    // buffer.
    const std::size_t longLength = TextFileReader::kMaxLineBytes - 1;
    std::string bytes(longLength, 'x');
    bytes[0] = 'A';
    bytes[longLength - 1] = 'Z';
    bytes += "\r\nshort\nend";
    test::TempDir dir;
    TextFileReader reader(dir.Write("long.txt", bytes), ShareMode::Shared);
    std::string_view line;
    ASSERT_TRUE(reader.ReadLine(line));
    ASSERT_EQ(line.size(), longLength);
    EXPECT_EQ(line.front(), 'A');
    EXPECT_EQ(line.back(), 'Z');
    EXPECT_EQ(reader.GetPosition(), longLength + 2);
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, "short");
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, "end");
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_EQ(reader.GetPosition(), bytes.size());
}

// A line past the limit (a file of gigabytes without a line end) is not held:
// it comes back empty with its bytes consumed, and the file's error says so
// once, with the count; the lines around it are read as ever.
TEST(TextFileReader, LineLongerThanTheLimitIsSkippedWithItsBytes) {
    const std::size_t limit = TextFileReader::kMaxLineBytes;
    struct Case {
        std::size_t length;
        const char* lineEnd;
    };
    for (const Case c : {Case{limit + 1, "\n"}, Case{limit + 1, "\r\n"}, Case{100u << 20, "\n"},
                         Case{100u << 20, ""}}) {
        SCOPED_TRACE(c.length);
        std::string bytes = "first\n";
        bytes.append(c.length, 'x');
        const std::uint64_t afterLong = bytes.size() + std::strlen(c.lineEnd);
        bytes += c.lineEnd;
        const bool last = *c.lineEnd == '\0';
        if (!last) {
            bytes += std::string(200, 'y') + "\nend";
        }
        test::TempDir dir;
        TextFileReader reader(dir.Write("long.txt", bytes), ShareMode::Shared);
        std::string_view line;
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(line, "first");
        EXPECT_NO_THROW(reader.ThrowIfLinesSkipped());
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_TRUE(line.empty());
        EXPECT_EQ(reader.GetPosition(), afterLong);
        EXPECT_EQ(reader.SkippedLines(), 1u);
        if (!last) {
            ASSERT_TRUE(reader.ReadLine(line));
            EXPECT_EQ(line, std::string(200, 'y'));
            ASSERT_TRUE(reader.ReadLine(line));
            EXPECT_EQ(line, "end");
        }
        EXPECT_FALSE(reader.ReadLine(line));
        EXPECT_EQ(reader.GetPosition(), bytes.size());
        try {
            reader.ThrowIfLinesSkipped();
            ADD_FAILURE() << "no error for the skipped line";
        } catch (const FileError& error) {
            EXPECT_NE(
                std::string(error.what()).find("long.txt: 1 line longer than 4 MiB was skipped"),
                std::string::npos)
                << error.what();
        }
    }
}

TEST(TextFileReader, ABackslashIsPartOfAName) {
    test::TempDir dir;
    dir.Write("back\\slash/rec.csv", "h\nr\n");
    ExpectSameLines(ReadAll(dir.path() + "/back\\slash/rec.csv"), {{"h", 2}, {"r", 4}});
}

TEST(TextFileReader, AnythingButARegularFileIsAFileError) {
    test::TempDir dir;
    const std::string folder = dir.MakeDir("folder");
    const std::string fifo = dir.path() + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    const std::string socketPath = dir.path() + "/sock";
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);

    // A FIFO without a writer would block a plain open; this one must not.
    for (const std::string& path : {folder, fifo, socketPath, std::string("/dev/null")}) {
        SCOPED_TRACE(path);
        for (ShareMode mode : {ShareMode::Shared, ShareMode::DenyWriters}) {
            EXPECT_THROW(TextFileReader(path, mode), FileError);
        }
    }
    ::close(sock);
}

TEST(TextFileReader, MissingFileErrorNamesThePath) {
    test::TempDir dir;
    const std::string path = dir.path() + "/no such file.csv";
    try {
        TextFileReader reader(path, ShareMode::Shared);
        FAIL() << "opened a missing file";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
    }
}

TEST(TextFileReader, FileThatGrowsIsReadToItsNewEnd) {
    test::TempDir dir;
    const std::string path = dir.Write("growing.csv", "a\n");
    TextFileReader reader(path, ShareMode::Shared);
    std::string_view line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, "a");
    EXPECT_FALSE(reader.ReadLine(line));

    std::ofstream(path, std::ios::app | std::ios::binary) << "b\r\nc";
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, "b");
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, "c");
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_EQ(reader.GetPosition(), 6u);
}

// Deny-writers opening (the customer list): readers never refuse each other;
// a writer's exclusive lock is waited for briefly, then fails the open.
TEST(TextFileReader, DenyWritersOpenSharesWithReadersAndWaitsBrieflyForAWriter) {
    test::TempDir dir;
    const std::string path = dir.Write("CustomerList.lst", "C001 _ Name\n");
    const int writer = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);
    EXPECT_THROW(TextFileReader(path, ShareMode::DenyWriters), FileError);
    EXPECT_EQ(ReadAll(path).size(), 1u) << "a shared open ignores the lock";

    // A writer that lets go within the wait: the open succeeds.
    std::thread release([writer] {
        std::this_thread::sleep_for(TextFileReader::kBusyWait / 5);
        ::flock(writer, LOCK_UN);
    });
    {
        TextFileReader first(path, ShareMode::DenyWriters);
        release.join();
        TextFileReader second(path, ShareMode::DenyWriters);
        std::string_view line;
        ASSERT_TRUE(second.ReadLine(line));
        EXPECT_EQ(line, "C001 _ Name");
        EXPECT_NE(::flock(writer, LOCK_EX | LOCK_NB), 0) << "readers keep a writer out";
    }
    EXPECT_EQ(::flock(writer, LOCK_EX | LOCK_NB), 0) << "closing the readers drops their locks";
    ::close(writer);
}

}  // namespace
}  // namespace qz
