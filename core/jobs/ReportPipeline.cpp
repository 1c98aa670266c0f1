#include "jobs/ReportPipeline.h"

#include <utility>

#include "report/ReportFactsScript.h"

namespace qz {

ReportOutcome RunReport(ReportRequest request, const CustomerNames& customers,
                        const std::string& scriptFolder, const CountRunner& runCount,
                        std::uint32_t liveSeconds) {
    ReportJob job(std::move(request));
    ReportOutcome outcome;
    bool counted = false;
    bool written = false;
    // The scripts are written where the count ran, never on the caller's
    // thread: the writer may wait a few seconds for another report's writer,
    // and a GUI's thread must not.
    runCount(job.Progress(), [&] {
        outcome.totals = job.Run();
        counted = true;
        if (job.Progress().TotalBytes() == 0 || job.Progress().IsCancelled()) {
            return;
        }
        outcome.scope = job.Scope(outcome.totals, customers, std::time(nullptr));
        outcome.scope.liveSeconds = liveSeconds;
        if (outcome.totals.m_nOk == 0 && outcome.totals.m_nNg == 0) {
            return;
        }
        outcome.writeFailures = WriteReportScripts(outcome.totals, outcome.scope,
                                                   outcome.totals.facts, scriptFolder, customers);
        written = true;
    });
    // A job with nothing to read ends at once: a cancel then came too late to
    // change what the operator is told.
    if (counted && job.Progress().TotalBytes() == 0) {
        outcome.kind = ReportOutcome::Kind::NoRecordFiles;
    } else if (written) {
        outcome.kind = ReportOutcome::Kind::Written;
    } else if (!counted || job.Progress().IsCancelled()) {
        outcome.kind = ReportOutcome::Kind::Cancelled;
    } else {
        outcome.kind = ReportOutcome::Kind::NoRecords;
    }
    return outcome;
}

}  // namespace qz
