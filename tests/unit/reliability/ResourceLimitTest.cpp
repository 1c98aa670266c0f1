// The report under the limits of a small machine or a container, each in a
// forked child so that the limit binds the child alone: a child that dies
// (std::bad_alloc or std::system_error escaping a thread ends in abort) fails
// the test.
//
// - Address space limited to what the process uses plus 192 MiB: a sparse
//   gigabyte of zeros (no line end) is skipped with a message and costs one
//   reader buffer; a file whose distinct keys do not fit is that file's error
//   ("Cannot allocate memory"); the other files still count.
// - No thread to spare (RLIMIT_NPROC): the job runs on the calling thread.
//
// The sanitizers reserve terabytes of address space and run threads of their
// own, so under them these tests are skipped.

#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "dates/OleDate.h"
#include "jobs/OptionScanJob.h"
#include "jobs/ReportJob.h"
#include "jobs/WorkerPool.h"
#include "tests/support/RecordText.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

const std::string kHeader = test::RecordFileText().bytes();

struct ChildRun {
    bool exited = false;  // exited normally, status 0
    std::string out;      // what the child wrote to its pipe
};

// Runs body in a forked child; body writes its findings to the FILE it gets.
ChildRun RunForked(const std::function<void(std::FILE*)>& body) {
    int fds[2];
    if (::pipe(fds) != 0) {
        ADD_FAILURE() << "pipe";
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::FILE* out = ::fdopen(fds[1], "w");
        body(out);
        std::fflush(out);
        ::_exit(0);
    }
    ::close(fds[1]);
    ChildRun run;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fds[0], buffer, sizeof buffer)) > 0) {
        run.out.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!run.exited) {
        ADD_FAILURE() << "child ended with status " << status << "; it wrote:\n" << run.out;
    }
    return run;
}

// The process's mapped address space in bytes.
rlim_t AddressSpaceInUse() {
    std::ifstream statm("/proc/self/statm");
    rlim_t pages = 0;
    statm >> pages;
    return pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
}

ReportRequest Request(const std::string& folder, std::int32_t workers) {
    ReportRequest request;
    request.machineFolders = {folder};
    request.criteria.dtReportStart = OleDate::FromParts(2018, 1, 1);
    request.criteria.dtReportEnd = OleDate::FromParts(2018, 12, 31);
    request.criteria.dateLocale = DateLocale::FromName("C");
    request.workerCount = workers;
    return request;
}

void PrintMessages(std::FILE* out, const test::JobEventRecorder& messages) {
    for (const std::string& text : messages.texts()) {
        std::fprintf(out, "message: %s\n", text.c_str());
    }
}

TEST(ResourceLimitTest, UnderAMemoryLimitAFileThatDoesNotFitIsThatFilesError) {
    if (kSanitized) {
        GTEST_SKIP() << "address-space limit and sanitizers do not mix";
    }
    test::TempDir dir;
    const std::string folder = dir.MakeDir("M1");
    test::RecordFileText records;
    for (int i = 0; i < 5; ++i) {
        records.Add({}).Add({.settingFile = "S2", .result = "NG"});
    }
    dir.Write("M1/a.csv", records);
    {
        // Preallocated and never written: a gigabyte of zero bytes.
        std::ofstream(folder + "/zeros.txt").close();
        fs::resize_file(folder + "/zeros.txt", std::uintmax_t{1} << 30);
        // A million distinct keys: some hundreds of MiB of maps.
        std::ofstream keys(folder + "/keys.csv");
        keys << kHeader;
        for (int i = 0; i < 1000000; ++i) {
            keys << "2018/05/03,C1,S" << i << ",CU,M" << i << ",3,OK\n";
        }
    }

    const ChildRun run = RunForked([&](std::FILE* out) {
        ::mallopt(M_ARENA_MAX, 1);  // no 64 MiB arena reserve per thread
        const rlimit limit{AddressSpaceInUse() + (rlim_t{192} << 20),
                           AddressSpaceInUse() + (rlim_t{192} << 20)};
        ::setrlimit(RLIMIT_AS, &limit);
        test::JobEventRecorder messages;
        ReportRequest request = Request(folder, 2);
        request.sink = messages.Sink();
        const CReportTotals totals = ReportJob(std::move(request)).Run();
        std::fprintf(out, "report OK %lld NG %lld keys %zu\n", static_cast<long long>(totals.m_nOk),
                     static_cast<long long>(totals.m_nNg), totals.m_settingFiles.Size());
        PrintMessages(out, messages);
        OptionScanRequest scan;
        scan.machineFolders = {folder};
        scan.workerCount = 2;
        scan.sink = messages.Sink();
        const OptionValues found = OptionScanJob(scan).Run();
        std::fprintf(out, "scan found %s\n", found.settingFiles.Contains("S1") ? "S1" : "nothing");
    });

    ASSERT_TRUE(run.exited);
    EXPECT_NE(run.out.find("report OK 5 NG 5 keys 2\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("keys.csv: Cannot allocate memory\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("zeros.txt: 1 line longer than 4 MiB was skipped\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("scan found S1\n"), std::string::npos) << run.out;
}

// In a forked child: leaves the process no thread to start (RLIMIT_NPROC 0,
// which binds root only after it becomes nobody). False, with the reason
// written to out for the parent to skip on, where that cannot be done here.
bool TakeAwayThreads(std::FILE* out) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
        std::fprintf(out, "cannot drop root\n");
        return false;
    }
    const rlimit limit{0, 0};
    ::setrlimit(RLIMIT_NPROC, &limit);
    try {
        std::thread([] {}).join();
        std::fprintf(out, "a thread could still be started\n");
        return false;
    } catch (const std::system_error&) {
        return true;
    }
}

// With no thread to be had, the workers' items all run on the calling thread,
// and a report still counts every file.
TEST(ResourceLimitTest, WithoutThreadsTheJobRunsOnTheCallingThread) {
    if (kSanitized) {
        GTEST_SKIP() << "the sanitizers start threads of their own";
    }
    test::TempDir dir;
    const std::string folder = dir.MakeDir("M1");
    dir.Write("M1/a.csv", test::RecordFileText().Add({}));
    dir.Write("M1/b.csv", test::RecordFileText().Add({.result = "NG"}));
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_read |
                                    fs::perms::others_exec | fs::perms::group_read |
                                    fs::perms::group_exec);

    const ChildRun run = RunForked([&](std::FILE* out) {
        if (!TakeAwayThreads(out)) {
            return;
        }
        JobProgress progress(4);
        std::vector<std::size_t> workers;
        RunWorkers(6, progress,
                   [&](std::size_t, std::size_t worker) { workers.push_back(worker); });
        std::fprintf(out, "items %zu on worker %zu\n", workers.size(),
                     workers.empty() ? 99 : workers.back());
        const CReportTotals totals = ReportJob(Request(folder, 4)).Run();
        std::fprintf(out, "report OK %lld NG %lld\n", static_cast<long long>(totals.m_nOk),
                     static_cast<long long>(totals.m_nNg));
    });

    ASSERT_TRUE(run.exited);
    if (run.out.find("cannot drop root") != std::string::npos ||
        run.out.find("a thread could still be started") != std::string::npos) {
        GTEST_SKIP() << "no thread limit can be set here: " << run.out;
    }
    EXPECT_NE(run.out.find("items 6 on worker 0\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("report OK 1 NG 1\n"), std::string::npos) << run.out;
}

// The batch command, too, reports without a thread to spare: the job runs on
// its main thread.
TEST(ResourceLimitTest, WithoutThreadsTheBatchCommandStillReports) {
    if (kSanitized) {
        GTEST_SKIP() << "the sanitizers start threads of their own";
    }
    test::TempDir dir;
    dir.Write("ReportData/M1/a.csv", test::RecordFileText().Add({}));
    dir.Write("ReportData/M1/b.csv", test::RecordFileText().Add({.result = "NG"}));
    const std::string scripts = dir.MakeDir("Report/js");
    for (const std::string& path : {dir.path(), dir.path() + "/ReportData",
                                    dir.path() + "/ReportData/M1", dir.path() + "/Report"}) {
        fs::permissions(path, fs::perms::others_read | fs::perms::others_exec,
                        fs::perm_options::add);
    }
    fs::permissions(scripts, fs::perms::all);

    const ChildRun run = RunForked([&](std::FILE* out) {
        if (!TakeAwayThreads(out)) {
            return;
        }
        std::fflush(out);
        ::dup2(::fileno(out), STDOUT_FILENO);
        ::dup2(::fileno(out), STDERR_FILENO);
        ::execl(QZ_BATCH_EXECUTABLE, QZ_BATCH_EXECUTABLE, "--root", dir.path().c_str(), "--from",
                "2018-05-01", "--to", "2018-05-31", static_cast<char*>(nullptr));
        std::fprintf(out, "exec failed\n");
    });

    if (run.out.find("cannot drop root") != std::string::npos ||
        run.out.find("a thread could still be started") != std::string::npos) {
        GTEST_SKIP() << "no thread limit can be set here: " << run.out;
    }
    EXPECT_TRUE(run.exited) << run.out;
    EXPECT_NE(run.out.find("OK: 1\nNG: 1\n"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace qz
