#include "jobs/ReportPipeline.h"

#include <utility>

namespace qz {

ReportOutcome RunReport(ReportRequest request, const CustomerNames& customers,
                        const std::string& scriptFolder, const CountRunner& runCount) {
    ReportJob job(std::move(request));
    ReportOutcome outcome;
    bool counted = false;
    runCount(job.Progress(), [&] {
        outcome.totals = job.Run();
        counted = true;
    });
    // A job with nothing to read ends at once: a cancel then came too late to
    // change what the operator is told.
    if (counted && job.Progress().TotalBytes() == 0) {
        outcome.kind = ReportOutcome::Kind::NoRecordFiles;
        return outcome;
    }
    if (!counted || job.Progress().IsCancelled()) {
        outcome.kind = ReportOutcome::Kind::Cancelled;
        return outcome;
    }
    outcome.scope = job.Scope(outcome.totals, customers, std::time(nullptr));
    if (outcome.totals.m_nOk == 0 && outcome.totals.m_nNg == 0) {
        outcome.kind = ReportOutcome::Kind::NoRecords;
        return outcome;
    }
    outcome.writeFailures = WriteReportScripts(outcome.totals, outcome.scope, scriptFolder);
    outcome.kind = ReportOutcome::Kind::Written;
    return outcome;
}

}  // namespace qz
