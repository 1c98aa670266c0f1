#include "tests/unit/cache/ChangingTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tests/support/RecordText.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace qz::test {

namespace {

void WriteWhole(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    if (!file.flush()) {
        throw std::runtime_error("cannot write " + path);
    }
}

void AppendBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::app);
    file << bytes;
    if (!file.flush()) {
        throw std::runtime_error("cannot append to " + path);
    }
}

struct stat StatOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        throw std::runtime_error("cannot stat " + path);
    }
    return status;
}

// Sets the access and modification times (UTIME_NOW for now).
void SetTimes(const std::string& path, const timespec& mtime) {
    const timespec times[2] = {mtime, mtime};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
        throw std::runtime_error("cannot set the times of " + path);
    }
}

timespec SecondsEarlier(const timespec& time, long seconds) {
    timespec earlier = time;
    earlier.tv_sec -= seconds;
    return earlier;
}

// The same bytes with one record changed in place, keeping the size: an OK
// becomes NG or back, else a digit another digit. Unchanged when the text
// holds neither.
std::string Rewritten(std::string bytes, std::mt19937_64& random) {
    std::vector<std::size_t> results;
    std::vector<std::size_t> digits;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes.compare(i, 2, "OK") == 0 || bytes.compare(i, 2, "NG") == 0) {
            results.push_back(i);
        } else if (bytes[i] >= '0' && bytes[i] <= '9') {
            digits.push_back(i);
        }
    }
    if (!results.empty()) {
        const std::size_t at = results[random() % results.size()];
        bytes.replace(at, 2, bytes.compare(at, 2, "OK") == 0 ? "NG" : "OK");
    } else if (!digits.empty()) {
        const std::size_t at = digits[random() % digits.size()];
        bytes[at] = static_cast<char>('0' + (bytes[at] - '0' + 1) % 10);
    }
    return bytes;
}

bool EndsOpen(const std::string& bytes) {
    return !bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r';
}

}  // namespace

ChangingTree::ChangingTree(std::string root, std::string staging, std::uint64_t seed)
    : m_root(std::move(root)), m_staging(std::move(staging)), m_random(seed) {
    fs::create_directories(RecordData());
    fs::create_directories(m_staging);
}

const std::vector<std::string>& ChangingTree::SettingFiles() {
    // ASCII, UTF-8 and ISO-8859-1 names: the scripts and JSON write each its way.
    static const std::vector<std::string> values = {"SET_A", "SET_B", "\xE8\xA8\xAD.cfg",
                                                    "\xE9t\xE9.cfg"};
    return values;
}

const std::vector<std::string>& ChangingTree::Boards() {
    static const std::vector<std::string> values = {"B1", "B2", "B3", "B7"};
    return values;
}

const std::vector<std::string>& ChangingTree::Customers() {
    static const std::vector<std::string> values = {"C001", "C002", "C003"};
    return values;
}

std::size_t ChangingTree::Pick(std::size_t count) {
    return static_cast<std::size_t>(m_random() % count);
}

bool ChangingTree::Chance(double p) {
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < p;
}

std::string ChangingTree::LineEnd() {
    return Chance(0.2) ? "\r\n" : "\n";
}

std::string ChangingTree::RandomRecordLine() {
    if (Chance(0.04)) {
        return Chance(0.5) ? "" : "a line that is no record";
    }
    // Ten days of May 2018, in forms the date locale reads differently: a
    // numeric day first or month first means another day (or none) in
    // en_US, en_GB, de_DE and ja_JP.
    const int day = 1 + static_cast<int>(Pick(10));
    char date[40];
    switch (Pick(6)) {
        case 0:
            std::snprintf(date, sizeof date, "2018/05/%02d %02zu:%02zu:00", day, Pick(24),
                          Pick(60));
            break;
        case 1:
            std::snprintf(date, sizeof date, "2018/05/%02d", day);
            break;
        case 2:
            std::snprintf(date, sizeof date, "%02d/05/2018", day);
            break;
        case 3:
            std::snprintf(date, sizeof date, "05/%02d/2018 08:30", day);
            break;
        case 4:
            std::snprintf(date, sizeof date, "%02d.05.2018", day);
            break;
        default:
            std::snprintf(date, sizeof date, "2018-05-%02d", day);
            break;
    }
    static const char* const kResults[] = {"OK", "OK", "OK", "NG", "ok", "Fail"};
    return JoinFields({date, "c1", SettingFiles()[Pick(SettingFiles().size())],
                       Customers()[Pick(Customers().size())], Boards()[Pick(Boards().size())], "1",
                       kResults[Pick(std::size(kResults))]});
}

std::string ChangingTree::RandomFileText(int lines) {
    const std::string eol = LineEnd();
    std::string text = std::string(kRecordHeader) + eol;
    for (int i = 0; i < lines; ++i) {
        text += RandomRecordLine() + eol;
    }
    return text;
}

std::vector<std::string> ChangingTree::Machines() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(RecordData())) {
        if (entry.is_directory()) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> ChangingTree::Files() const {
    std::vector<std::string> paths;
    for (const std::string& machine : Machines()) {
        for (const auto& entry : fs::directory_iterator(RecordData() + "/" + machine)) {
            if (entry.is_regular_file()) {
                paths.push_back(entry.path().string());
            }
        }
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

void ChangingTree::Populate() {
    const int machines = 2 + static_cast<int>(Pick(3));
    for (int i = 0; i < machines; ++i) {
        AddMachine();
    }
}

void ChangingTree::Populate(int machines, int files, int lines) {
    for (int i = 0; i < machines; ++i) {
        const std::string machine = "M" + std::to_string(m_nextName++);
        fs::create_directories(RecordData() + "/" + machine);
        for (int j = 0; j < files; ++j) {
            AddFile(machine, lines);
        }
    }
}

std::string ChangingTree::AddFile(const std::string& machine, int lines) {
    const std::string path =
        RecordData() + "/" + machine + "/rec" + std::to_string(m_nextName++) + ".csv";
    WriteWhole(path, RandomFileText(lines));
    return "add file " + path;
}

std::string ChangingTree::AddMachine() {
    const std::string machine = "M" + std::to_string(m_nextName++);
    fs::create_directories(RecordData() + "/" + machine);
    const int files = 1 + static_cast<int>(Pick(3));
    for (int i = 0; i < files; ++i) {
        AddFile(machine, static_cast<int>(Pick(25)));
    }
    return "add machine " + machine;
}

std::string ChangingTree::RemoveMachine() {
    const std::vector<std::string> machines = Machines();
    if (machines.size() <= 1) {
        return AddMachine();
    }
    const std::string folder = RecordData() + "/" + machines[Pick(machines.size())];
    for (auto it = m_openLineRest.begin(); it != m_openLineRest.end();) {
        it = it->first.starts_with(folder + "/") ? m_openLineRest.erase(it) : std::next(it);
    }
    fs::remove_all(folder);
    return "remove machine " + folder;
}

std::string ChangingTree::ChangeOneFile(const std::string& path) {
    const std::string bytes = ReadFile(path);
    const struct stat before = StatOf(path);
    switch (Pick(13)) {
        case 0:
        case 1: {
            const int lines = 1 + static_cast<int>(Pick(5));
            const std::string eol = LineEnd();
            std::string more = EndsOpen(bytes) ? m_openLineRest[path] + eol : "";
            m_openLineRest.erase(path);
            for (int i = 0; i < lines; ++i) {
                more += RandomRecordLine() + eol;
            }
            AppendBytes(path, more);
            return "append " + std::to_string(lines) + " lines to " + path;
        }
        case 2: {
            if (EndsOpen(bytes)) {
                const std::string rest = m_openLineRest[path];
                m_openLineRest.erase(path);
                AppendBytes(path, rest + LineEnd());
                return "end the open last line of " + path;
            }
            const std::string line = RandomRecordLine();
            const std::size_t cut = Pick(line.size() + 1);
            std::string head = line.substr(0, cut);
            // Cut anywhere: a cut within the last field may still leave a
            // record that counts (its result read as far as it stands).
            AppendBytes(path, head);
            m_openLineRest[path] = line.substr(cut);
            if (Chance(0.5)) {
                // Written long enough ago that the open line counts as it stands.
                SetTimes(path, SecondsEarlier(StatOf(path).st_mtim, 3600));
                return "append an open last line (quiet) to " + path;
            }
            return "append an open last line (just written) to " + path;
        }
        case 3: {
            const std::size_t length = bytes.empty() ? 0 : Pick(bytes.size());
            fs::resize_file(path, length);
            m_openLineRest.erase(path);
            return "truncate " + path + " to " + std::to_string(length);
        }
        case 4: {
            const std::string changed = Rewritten(bytes, m_random);
            const int fd = ::open(path.c_str(), O_WRONLY);
            if (fd < 0 || ::pwrite(fd, changed.data(), changed.size(), 0) !=
                              static_cast<ssize_t>(changed.size())) {
                throw std::runtime_error("cannot rewrite " + path);
            }
            ::close(fd);
            if (Chance(0.5)) {
                SetTimes(path, before.st_mtim);
                return "rewrite in place, same size and time: " + path;
            }
            return "rewrite in place, same size: " + path;
        }
        case 5: {
            const bool sameSize = Chance(0.5);
            const std::string staged = m_staging + "/next.csv";
            WriteWhole(staged, sameSize ? Rewritten(bytes, m_random)
                                        : RandomFileText(static_cast<int>(Pick(25))));
            if (sameSize) {
                SetTimes(staged, before.st_mtim);
            }
            fs::rename(staged, path);
            m_openLineRest.erase(path);
            return std::string("replace by rename") +
                   (sameSize ? " (same size and time): " : ": ") + path;
        }
        case 6: {
            const timespec now{0, UTIME_NOW};
            SetTimes(path, now);
            return "touch " + path;
        }
        case 7: {
            const long back = 60 + static_cast<long>(Pick(30 * 86400));
            if (Chance(0.5)) {
                AppendBytes(path, (EndsOpen(bytes) ? LineEnd() : "") + RandomRecordLine() + "\n");
                m_openLineRest.erase(path);
                SetTimes(path, SecondsEarlier(before.st_mtim, back));
                return "append a line and set the time back: " + path;
            }
            SetTimes(path, SecondsEarlier(before.st_mtim, back));
            return "set the time back: " + path;
        }
        case 8: {
            fs::remove(path);
            m_openLineRest.erase(path);
            return "delete " + path;
        }
        case 9: {
            // Same size and time, other content: a file rewritten and its
            // time put back, as a copy tool keeping times does.
            const std::string changed = Rewritten(bytes, m_random);
            WriteWhole(path, changed);
            SetTimes(path, before.st_mtim);
            return "rewrite (truncate and write) with the same size and time: " + path;
        }
        case 10: {
            // Cut short and written on past the old end: grown, but not by
            // appending.
            const std::size_t length = bytes.empty() ? 0 : Pick(bytes.size());
            fs::resize_file(path, length);
            m_openLineRest.erase(path);
            std::string more = LineEnd();
            while (length + more.size() <= bytes.size()) {
                more += RandomRecordLine() + LineEnd();
            }
            AppendBytes(path, more);
            return "truncate " + path + " to " + std::to_string(length) +
                   " and write on past its old end";
        }
        default:
            return "leave " + path + " as it is";
    }
}

std::string ChangingTree::Change() {
    const std::vector<std::string> machines = Machines();
    if (machines.empty()) {
        return AddMachine();
    }
    switch (Pick(20)) {
        case 0:
            return AddFile(machines[Pick(machines.size())], static_cast<int>(Pick(25)));
        case 1:
            return AddMachine();
        case 2:
            return RemoveMachine();
        case 3: {
            // A folder among the record files: a file that cannot be read.
            const std::string folder = RecordData() + "/" + machines[Pick(machines.size())] +
                                       "/sub" + std::to_string(m_nextName++);
            fs::create_directories(folder);
            return "add a sub-folder " + folder;
        }
        case 4: {
            for (const std::string& machine : machines) {
                for (const auto& entry : fs::directory_iterator(RecordData() + "/" + machine)) {
                    if (entry.is_directory()) {
                        fs::remove_all(entry.path());
                        return "remove the sub-folder " + entry.path().string();
                    }
                }
            }
            return AddFile(machines[Pick(machines.size())], static_cast<int>(Pick(25)));
        }
        default:
            break;
    }
    std::vector<std::string> files = Files();
    if (files.empty()) {
        return AddFile(machines[Pick(machines.size())], static_cast<int>(Pick(25)));
    }
    std::shuffle(files.begin(), files.end(), m_random);
    // Mostly one file at a time; sometimes several at once, each its own way.
    const std::size_t count = Chance(0.7) ? 1 : std::min<std::size_t>(files.size(), 2 + Pick(3));
    std::string what;
    for (std::size_t i = 0; i < count; ++i) {
        what += (i == 0 ? "" : "; ") + ChangeOneFile(files[i]);
    }
    return what;
}

}  // namespace qz::test
