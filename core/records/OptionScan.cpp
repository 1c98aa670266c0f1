#include "records/OptionScan.h"

#include <array>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "jobs/ParseWorker.h"
#include "progress/ProgressState.h"
#include "platform/DebugTrace.h"
#include "platform/FileError.h"
#include "platform/MessageBox.h"
#include "platform/TextFileReader.h"
#include "records/RecordParser.h"

namespace qz {

namespace {

constexpr std::size_t kSettingFilePos = 2;
constexpr std::size_t kCustomerPos = 3;
constexpr std::size_t kMachineIdPos = 4;

// Uses the report parser's split, so both parsers agree on every position;
// fields behind position 4 are passed over.
void CollectLineValues(std::string_view line, CParseWorker& worker) {
    std::array<std::string_view, 7> fields;
    const std::size_t count = SplitRecordFields(line, fields);
    if (count > kSettingFilePos) {
        worker.m_fileSettingFiles.Insert(fields[kSettingFilePos]);
    }
    if (count > kCustomerPos) {
        worker.m_fileCustomers.Insert(fields[kCustomerPos]);
    }
    if (count > kMachineIdPos) {
        worker.m_fileMachineIds.Insert(fields[kMachineIdPos]);
    }
}

std::string ShownText(const std::exception& error) {
    std::string text = error.what();
    if (text.size() > FileError::kMaxShownChars) {
        text.resize(FileError::kMaxShownChars);
    }
    return text;
}

}  // namespace

void ScanOptionValues(CParseWorker& worker) {
    worker.m_fileSettingFiles.RemoveAll();
    worker.m_fileCustomers.RemoveAll();
    worker.m_fileMachineIds.RemoveAll();

    try {
        TextFileReader reader(*worker.m_pszPath, ShareMode::Shared);
        std::string_view line;
        if (reader.ReadLine(line)) {
            DebugTrace(line);
        }
        // The header's bytes are counted with the first data line.
        FileProgress progress;
        while (reader.ReadLine(line)) {
            if (g_cancelEvent.IsSet()) {
                // Abandoned: no final update and the worker stays busy, so the
                // pool never hands it another file in this job.
                reader.Close();
                worker.m_pszPath.reset();
                return;
            }
            CollectLineValues(line, worker);
            progress.AfterLine(reader.GetPosition());
        }
        progress.AtEnd(reader.GetPosition());
        reader.Close();
    } catch (const FileError& error) {
        ShowMessageBox(error.ShownDescription());
    } catch (const std::exception& error) {
        ShowMessageBox(ShownText(error));
    }

    worker.m_pszPath.reset();
    worker.m_idleEvent.Set();
}

void MergeOptionValues(CParseWorker& worker) {
    for (const std::string& value : worker.m_fileSettingFiles) {
        g_foundSettingFiles.Insert(value);
    }
    for (const std::string& value : worker.m_fileMachineIds) {
        g_foundMachineIds.Insert(value);
    }
    for (const std::string& value : worker.m_fileCustomers) {
        g_foundCustomers.Insert(value);
    }
}

}  // namespace qz
