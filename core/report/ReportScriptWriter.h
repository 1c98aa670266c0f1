#pragma once
// Writes the six report scripts of a report's totals into a script folder.
// Each script is written to a new file beside it and renamed over it, so a
// reader sees the old script or the new one, and a symbolic link in its place
// is replaced, not followed. A script that cannot be written is a failure the
// writer returns; the other scripts are still written.
// Keys are written inside single-quoted script literals (backslash, quote and
// control bytes escaped). A key that is UTF-8 text reads back as its
// characters, written as \uXXXX escapes beyond ASCII so that the script reads
// the same in any charset; any other key reads back as its exact bytes.

#include <string>
#include <vector>

#include "platform/FileError.h"
#include "records/Dimension.h"
#include "records/ReportCounts.h"

namespace qz {

// A script of the report besides the six, written by WriteAll with them.
struct ScriptFile {
    std::string name;  // its file name in the script folder
    std::string text;
};

class CReportScriptWriter {
  public:
    // scriptFolder ends in a separator (DataPaths::strReportJsPath). The
    // writer reads totals while it writes; they must outlive it.
    CReportScriptWriter(const CReportTotals& totals, std::string scriptFolder);

    // All six, in the order a report writes them (summary chart, bar charts
    // (Setting File, Machine ID), summary table, tables (the same)), and the
    // scripts of more after them, as one set: all of them or none.
    // The folder is locked meanwhile (FolderLock): another writer of the same
    // folder, in this process or another, is waited for a few seconds; after
    // that nothing is written and the failure says another report is being
    // written. Every script is written in full beside its place before the
    // first is renamed into it; when one cannot be written, none is renamed
    // and the new files are removed. Returns the failure that stopped the set
    // (it names the script and the reason); empty when every script was
    // written.
    std::vector<FileError> WriteAll(const std::vector<ScriptFile>& more = {});

  private:
    std::string SummaryChartScript() const;
    std::string BarChartScript(Dimension dimension) const;
    std::string SummaryTableScript() const;
    std::string TableScript(Dimension dimension) const;

    const CReportTotals& m_totals;
    std::string m_scriptFolder;
};

}  // namespace qz
