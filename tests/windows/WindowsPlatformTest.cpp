// The Windows side of the platform services, with another program where the
// behaviour is about other programs: the share modes of text files, the
// single-instance guard, the folder lock, folder search and file errors.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "platform/FileError.h"
#include "platform/FolderLock.h"
#include "platform/FolderSearch.h"
#include "platform/KnownFolders.h"
#include "platform/NameText.h"
#include "platform/SingleInstance.h"
#include "platform/TextFileReader.h"
#include "report/ScriptLiteral.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());  // the tests' paths are ASCII
}

std::string Native(std::string path) {
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// qz-file-holder (FileHolder.cpp) as a child process whose standard input is
// a pipe: closing it ends a holder.
class OtherProgram {
  public:
    // Waits until it has the file open, or has ended.
    OtherProgram(const std::string& mode, const std::string& file, const std::string& ready,
                 int lines = 0) {
        const std::string exe = GetExecutablePath();
        const std::string holder = exe.substr(0, exe.rfind('\\') + 1) + "qz-file-holder.exe";
        std::string command = "\"" + holder + "\" " + mode + " \"" + Native(file) + "\" \"" +
                              Native(ready) + "\" " + std::to_string(lines);
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE readEnd = nullptr;
        EXPECT_TRUE(CreatePipe(&readEnd, &m_stdin, &inherit, 0));
        SetHandleInformation(m_stdin, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = readEnd;
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION info{};
        std::wstring wide = Wide(command);
        const bool started = CreateProcessW(nullptr, wide.data(), nullptr, nullptr, TRUE, 0,
                                            nullptr, nullptr, &startup, &info);
        CloseHandle(readEnd);
        EXPECT_TRUE(started) << command << ": error " << GetLastError();
        if (started) {
            CloseHandle(info.hThread);
            m_process = info.hProcess;
        }
        for (int i = 0; i < 3000 && started && !Exists(ready) && Running(); ++i) {
            Sleep(10);
        }
    }
    ~OtherProgram() { Wait(); }

    bool Running() const { return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

    // Closes its standard input and waits for its end; its exit status.
    DWORD Wait() {
        if (m_stdin) {
            CloseHandle(m_stdin);
            m_stdin = nullptr;
        }
        DWORD status = 255;
        if (m_process) {
            WaitForSingleObject(m_process, 60000);
            GetExitCodeProcess(m_process, &status);
            CloseHandle(m_process);
            m_process = nullptr;
        }
        return status;
    }

  private:
    HANDLE m_stdin = nullptr;
    HANDLE m_process = nullptr;
};

// The customer list: other programs may read it at the same time (another
// reporter starting, an editor showing it); one that has it open for writing
// is waited for briefly, then the open fails; while it is read, writers are
// kept out.
TEST(WindowsTextFile, DenyWritersOpenSharesWithReadersAndWaitsBrieflyForAWriter) {
    test::TempDir dir;
    const std::string list = dir.Write("CustomerList.lst", "0A1B _ Alpha Parts\r\n");
    std::string_view line;
    {
        OtherProgram reader("hold", list, dir.path() + "/reading");
        ASSERT_TRUE(Exists(dir.path() + "/reading")) << "the other program could not open the file";
        TextFileReader ours(list, ShareMode::DenyWriters);
        ASSERT_TRUE(ours.ReadLine(line));
        EXPECT_EQ(line, "0A1B _ Alpha Parts");
        OtherProgram second("hold", list, dir.path() + "/second");
        EXPECT_TRUE(Exists(dir.path() + "/second")) << "a second reader was refused";
        OtherProgram writer("write", list, dir.path() + "/written");
        EXPECT_FALSE(Exists(dir.path() + "/written"));
        EXPECT_EQ(writer.Wait(), 1u) << "a writer opened the file while it was read";
        EXPECT_EQ(reader.Wait(), 0u);
        EXPECT_EQ(second.Wait(), 0u);
    }
    {
        OtherProgram writer("write", list, dir.path() + "/writing");
        ASSERT_TRUE(Exists(dir.path() + "/writing")) << "the writer could not open the file";
        try {
            TextFileReader reader(list, ShareMode::DenyWriters);
            FAIL() << "opened while another program writes the file";
        } catch (const FileError& error) {
            // The path as the system writes it, and the system's reason.
            EXPECT_EQ(std::string(error.what()).rfind(Native(list) + ": ", 0), 0u) << error.what();
        }
        // Shared opening is what record files get: it still works.
        TextFileReader shared(list, ShareMode::Shared);
        ASSERT_TRUE(shared.ReadLine(line));
        EXPECT_EQ(line, "0A1B _ Alpha Parts");

        // A writer that lets go within the wait: the open succeeds.
        std::thread release([&writer] {
            std::this_thread::sleep_for(TextFileReader::kBusyWait / 5);
            writer.Wait();
        });
        TextFileReader reader(list, ShareMode::DenyWriters);
        release.join();
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(line, "0A1B _ Alpha Parts");
    }
}

TEST(WindowsTextFile, SharedReadingGoesOnWhileAnotherProgramAppends) {
    test::TempDir dir;
    std::string start;
    for (int i = 0; i < 100; ++i) {
        start += "2018/05/03 09:00:00,setting.cfg,FIRST-" + std::to_string(i) + ",OK\r\n";
    }
    const std::string records = dir.Write("records.txt", start);
    constexpr int kAppended = 300;
    OtherProgram machine("append", records, dir.path() + "/appending", kAppended);
    ASSERT_TRUE(Exists(dir.path() + "/appending")) << "the machine could not open the file";

    TextFileReader reader(records, ShareMode::Shared);
    EXPECT_TRUE(machine.Running()) << "the machine finished before the reader opened the file";
    std::string_view line;
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(line, "2018/05/03 09:00:00,setting.cfg,FIRST-" + std::to_string(i) + ",OK");
    }
    ASSERT_EQ(machine.Wait(), 0u) << "the machine could not append while the file was read";
    int appended = 0;
    while (reader.ReadLine(line)) {
        EXPECT_EQ(line,
                  "2018/05/03 10:00:00,setting.cfg,BOARD-" + std::to_string(appended) + ",OK");
        ++appended;
    }
    EXPECT_EQ(appended, kAppended);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(Wide(records).c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(reader.GetPosition(), data.nFileSizeLow);
}

TEST(WindowsTextFile, FailuresNameThePathAsTheSystemWritesIt) {
    test::TempDir dir;
    const std::string missing = dir.path() + "/no/such.txt";
    try {
        TextFileReader reader(missing, ShareMode::Shared);
        FAIL() << "opened a missing file";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()).rfind(Native(missing) + ": ", 0), 0u) << error.what();
    }
    const std::string folder = dir.MakeDir("folder");
    try {
        TextFileReader reader(folder, ShareMode::Shared);
        FAIL() << "opened a folder";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), Native(folder) + ": " + std::strerror(EISDIR));
    }
}

TEST(WindowsFolderSearch, ListsNamesSizesAndFoldersInNameOrder) {
    test::TempDir dir;
    dir.Write("b.csv", "12345");
    dir.Write("A.csv", "1");
    dir.Write("_x.csv", "");
    dir.MakeDir("c");
    const auto entries = SearchFolder(dir.path() + "\\*");
    ASSERT_EQ(entries.size(), 6u);
    const char* names[] = {".", "..", "A.csv", "b.csv", "c", "_x.csv"};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].name, names[i]);
        EXPECT_EQ(entries[i].path, dir.path() + "\\" + names[i]);
    }
    EXPECT_EQ(entries[3].size, 5u);
    EXPECT_FALSE(entries[3].isDirectory);
    EXPECT_TRUE(entries[4].isDirectory);
    EXPECT_EQ(entries[4].size, 0u);
    EXPECT_TRUE(SearchFolder(dir.path() + "\\missing\\*").empty());
}

TEST(WindowsSingleInstance, ASecondGuardFindsTheFirstAndAsksItToShow) {
    const std::string name = "QZ8840-test-" + std::to_string(GetCurrentProcessId());
    std::atomic<int> shown{0};
    {
        SingleInstanceGuard first(name);
        ASSERT_FALSE(first.AlreadyExists());
        ASSERT_TRUE(first.ListenForShowRequests([&shown] { ++shown; }));
        SingleInstanceGuard second(name);
        EXPECT_TRUE(second.AlreadyExists());
        EXPECT_TRUE(second.AskHolderToShow());
        for (int i = 0; i < 500 && shown == 0; ++i) {
            Sleep(10);
        }
        EXPECT_EQ(shown, 1);
    }
    // Released with its holder.
    SingleInstanceGuard again(name);
    EXPECT_FALSE(again.AlreadyExists());
    EXPECT_FALSE(SingleInstanceGuard(name + "-none").AskHolderToShow());
}

TEST(WindowsFolderLock, AnotherThreadWaitsForTheHolder) {
    test::TempDir dir;
    std::atomic<bool> entering{false};
    std::atomic<bool> taken{false};
    std::optional<FolderLock> first(std::in_place, dir.path());
    ASSERT_TRUE(first->Held());
    std::thread other([&] {
        entering = true;
        FolderLock second(Native(dir.path()));  // the same folder in another spelling
        taken = true;
    });
    // Once the thread is at the lock, a lock that did not wait is taken at
    // once: watch for that (a named mutex shows no waiters to look at).
    for (int i = 0; i < 5000 && !entering; ++i) {
        Sleep(1);
    }
    ASSERT_TRUE(entering);
    for (int i = 0; i < 100 && !taken; ++i) {
        Sleep(2);
    }
    EXPECT_FALSE(taken) << "a second lock was taken while the first was held";
    first.reset();
    other.join();
    EXPECT_TRUE(taken);
    EXPECT_FALSE(FolderLock(dir.path() + "/missing").Held());
}

TEST(WindowsKnownFolders, ExecutableAndDocumentsAreFullPaths) {
    const std::string exe = GetExecutablePath();
    EXPECT_EQ(exe.substr(1, 2), ":\\") << exe;
    EXPECT_TRUE(exe.ends_with("\\test_windows_platform.exe")) << exe;
    const auto documents = GetDocumentsFolder();
    ASSERT_TRUE(documents.has_value());
    EXPECT_EQ(documents->substr(1, 2), ":\\") << *documents;
    EXPECT_NE(documents->back(), '\\');
}

// Names that are not UTF-8 are read in the ANSI code page: in the lists,
// the terminal, the JSON and the scripts, where characters of ISO-8859-1
// keep their byte and others are escaped.
TEST(WindowsNames, OtherTextIsReadInTheAnsiCodePage) {
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
    }
    EXPECT_EQ(LegacyEncodingName(), "code page 1252");
    EXPECT_EQ(NameToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(NameToUtf8("caf\xC3\xA9"), "caf\xC3\xA9") << "UTF-8 stays UTF-8";
    std::string script;
    AppendQuotedText(script, "caf\xE9 \x80");
    EXPECT_EQ(script, "caf\xE9 \\u20AC");
    std::string json;
    AppendJsonText(json, "caf\xE9 \x80");
    EXPECT_EQ(json, "caf\\u00E9 \\u20AC");
}

}  // namespace
}  // namespace qz
