// qz-bench-watch: what one update of `qz8840-report --watch` costs while
// machines append to their record files, against what the appended bytes
// alone cost and what the whole tree costs, measured in the same run.
//
//   qz-bench-watch [--machines N] [--files N] [--file-mib N] [--append-kib N]
//                  [--runs N] [--cache DIR]
//
// Generates a tree (default 8 machines x 32 files x 4 MiB = 1 GiB, the shape
// of qz-bench-jobs) in its own folder (default /tmp/qz-bench-watch; the files
// grow while it runs and are cut back to their generated size at the start),
// warms the page cache and measures, each the best of --runs runs:
//   look:       the watch's poll, a size and time stamp of every record file;
//   update:     --append-kib KiB of record lines appended, spread over a tenth
//               of the files, then the report the watch writes for them
//               (count, scope and scripts) over the whole tree, with the
//               cache of facts the watch keeps between updates;
//   new bytes:  the same report over a tree holding only those appended lines,
//               in as many files: what the new bytes cost;
//   tree:       the same report over the tree as it was, without the cache:
//               the first report of a watch.
// The figure is update / new bytes: an update should cost about what its new
// bytes cost, not what the tree costs.

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch/Watch.h"
#include "bench/RecordGenerator.h"
#include "dates/DateParser.h"
#include "dates/OleDate.h"
#include "jobs/ReportPipeline.h"
#include "report/DataPaths.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Options {
    int machines = 8;
    int files = 32;
    std::uint64_t fileMiB = 4;
    std::uint64_t appendKiB = 1024;
    int runs = 3;
    std::string cache = "/tmp/qz-bench-watch";
};

Options ParseArgs(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (hasValue && arg == "--machines") {
            o.machines = std::max(1, std::stoi(argv[++i]));
        } else if (hasValue && arg == "--files") {
            o.files = std::max(1, std::stoi(argv[++i]));
        } else if (hasValue && arg == "--file-mib") {
            o.fileMiB = std::max<std::uint64_t>(1, std::stoull(argv[++i]));
        } else if (hasValue && arg == "--append-kib") {
            o.appendKiB = std::max<std::uint64_t>(1, std::stoull(argv[++i]));
        } else if (hasValue && arg == "--runs") {
            o.runs = std::max(1, std::stoi(argv[++i]));
        } else if (hasValue && arg == "--cache") {
            o.cache = argv[++i];
        } else {
            throw std::invalid_argument(
                "usage: qz-bench-watch [--machines N] [--files N] [--file-mib N] "
                "[--append-kib N] [--runs N] [--cache DIR]");
        }
    }
    return o;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double BestOf(int runs, const std::function<void()>& prepare, const std::function<void()>& work) {
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        prepare();
        const auto start = Clock::now();
        work();
        best = std::min(best, Seconds(Clock::now() - start));
    }
    return best;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A data tree: machine folders of record files, and a folder for the scripts.
struct Tree {
    std::string root;
    std::vector<std::string> folders;   // machine folders, as a report takes them
    std::vector<std::string> files;     // every record file, machine by machine
    std::vector<std::uintmax_t> sizes;  // the files' generated sizes
};

std::string FileName(int f) {
    return "r" + std::to_string(f) + ".csv";
}

std::string MachineName(int m) {
    char name[16];
    std::snprintf(name, sizeof name, "M%02d", m);
    return name;
}

// The tree of o, generated once and reused with its files cut back to their
// generated sizes.
Tree MakeTree(const Options& o) {
    Tree tree;
    tree.root = o.cache + "/m" + std::to_string(o.machines) + "-f" + std::to_string(o.files) + "-" +
                std::to_string(o.fileMiB) + "MiB";
    const std::string sizesPath = tree.root + "/sizes";
    const bool reuse = fs::exists(sizesPath);
    if (!reuse) {
        std::fprintf(stderr, "generating %s ...\n", tree.root.c_str());
        fs::remove_all(tree.root);
    }
    const qz::DataPaths paths = qz::DataPaths::Under(tree.root + "/");
    std::ifstream storedSizes(sizesPath);
    for (int m = 0; m < o.machines; ++m) {
        tree.folders.push_back(paths.MachineFolder(MachineName(m)));
        fs::create_directories(tree.folders.back());
        for (int f = 0; f < o.files; ++f) {
            const std::string path = tree.folders.back() + "/" + FileName(f);
            std::uintmax_t size = 0;
            if (reuse && storedSizes >> size) {
                fs::resize_file(path, size);
            } else {
                size = qz::GenerateRecordFile(
                           path, o.fileMiB << 20,
                           static_cast<std::uint64_t>(m) * 1000u + static_cast<std::uint64_t>(f))
                           .bytes;
            }
            tree.files.push_back(path);
            tree.sizes.push_back(size);
        }
    }
    fs::create_directories(tree.root + "/Report/js");
    if (!reuse) {
        std::ofstream out(sizesPath);
        for (const std::uintmax_t size : tree.sizes) {
            out << size << "\n";
        }
    }
    return tree;
}

// The report the watch writes over folders, its scripts into tree's script
// folder; with the cache of facts at cache, or none when cache is empty.
void Report(const std::vector<std::string>& folders, const std::string& scripts,
            const std::string& cache = {}) {
    qz::ReportRequest request;
    request.machineFolders = folders;
    request.cache = {cache, false};
    request.criteria.dtReportStart = qz::OleDate::FromParts(2000, 1, 1);
    request.criteria.dtReportEnd = qz::OleDate::FromParts(2099, 12, 31);
    request.criteria.dateLocale = qz::DateLocale::FromEnvironment();
    const qz::ReportOutcome outcome = qz::RunReport(
        std::move(request), {}, scripts,
        [](qz::JobProgress&, const std::function<void()>& count) { count(); }, 1);
    if (outcome.kind != qz::ReportOutcome::Kind::Written || !outcome.writeFailures.empty()) {
        throw std::runtime_error("a report was not written");
    }
}

int Main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    const Options o = ParseArgs(argc, argv);
    const Tree tree = MakeTree(o);
    std::uintmax_t treeBytes = 0;
    for (const std::string& file : tree.files) {
        treeBytes += fs::file_size(file);
    }
    const std::string scripts = tree.root + "/Report/js/";

    // The lines appended each run: whole record lines of a generated file,
    // in pieces, one for each of a tenth of the files.
    const std::size_t grown = std::max<std::size_t>(1, tree.files.size() / 10);
    const std::string chunkPath = o.cache + "/append.csv";
    qz::GenerateRecordFile(chunkPath, o.appendKiB << 10, 99991);
    std::string chunk = ReadAll(chunkPath);
    chunk.erase(0, chunk.find('\n') + 1);  // the header
    // Line by line in turn, so that every piece holds whole lines.
    std::vector<std::string> pieces(grown);
    for (std::size_t at = 0, line = 0; at < chunk.size(); ++line) {
        const std::size_t end = std::min(chunk.size(), chunk.find('\n', at) + 1);
        pieces[line % grown].append(chunk, at, end - at);
        at = end;
    }
    const auto appendTo = [&](const std::vector<std::string>& files, bool replace) {
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            std::ofstream(files[i], replace ? std::ios::binary : std::ios::binary | std::ios::app)
                << (replace ? "header\n" : "") << pieces[i];
        }
    };
    std::vector<std::string> grownFiles;
    for (std::size_t i = 0; i < grown; ++i) {
        grownFiles.push_back(tree.files[i * tree.files.size() / grown]);
    }

    // The new bytes alone, in a tree of their own.
    const std::string aloneRoot = o.cache + "/alone";
    fs::remove_all(aloneRoot);
    const qz::DataPaths alonePaths = qz::DataPaths::Under(aloneRoot + "/");
    const std::vector<std::string> aloneFolders = {alonePaths.MachineFolder("M00")};
    fs::create_directories(aloneFolders[0]);
    fs::create_directories(aloneRoot + "/Report/js");
    std::vector<std::string> aloneFiles;
    for (std::size_t i = 0; i < grown; ++i) {
        aloneFiles.push_back(aloneFolders[0] + "/" + FileName(static_cast<int>(i)));
    }
    appendTo(aloneFiles, true);

    std::printf("tree: %s\n      %d machines x %d files, %.1f MB\n", tree.root.c_str(), o.machines,
                o.files, static_cast<double>(treeBytes) / 1e6);
    std::printf("append: %.1f KB per update over %zu files\n",
                static_cast<double>(chunk.size()) / 1e3, grown);

    const auto nothing = [] {};
    // The watch keeps the facts between its updates; the first report and the
    // new bytes alone are read without it.
    const std::string factCache = o.cache + "/facts.sqlite";
    std::filesystem::remove(factCache);
    // Warm the page cache and the watch's cache of facts.
    Report(tree.folders, scripts);
    Report(tree.folders, scripts, factCache);
    Report(aloneFolders, aloneRoot + "/Report/js/");
    const double tree1 = BestOf(o.runs, nothing, [&] { Report(tree.folders, scripts); });
    const double look = BestOf(o.runs, nothing, [&] { qz::StampRecordFiles(tree.folders); });
    const double alone =
        BestOf(o.runs, nothing, [&] { Report(aloneFolders, aloneRoot + "/Report/js/"); });
    const double update = BestOf(
        o.runs, [&] { appendTo(grownFiles, false); },
        [&] { Report(tree.folders, scripts, factCache); });

    std::printf("look (stamps of %zu files):  %8.4f s\n", tree.files.size(), look);
    std::printf("tree report:                 %8.4f s\n", tree1);
    std::printf("new bytes alone:             %8.4f s\n", alone);
    std::printf("update after appending:      %8.4f s\n", update);
    std::printf(
        "update / new bytes:          %8.2f (goal: about 1, an update costs its new bytes)\n",
        update / alone);
    std::printf("update / tree report:        %8.3f\n", update / tree1);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Main(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qz-bench-watch: %s\n", error.what());
        return 2;
    }
}
