#pragma once
// The two parse jobs: one pass over all record files of the checked machines.
// The job's input is the ascending list of checked machine rows (indices into
// g_machineFolderNames), collected on the UI thread by whoever starts the job.

#include <cstdint>
#include <string>
#include <vector>

namespace qz {

struct ParseJobInput {
    std::vector<int> checkedRows;
    std::int32_t workerCount = 0;  // 0: the formula for this machine
};

void RunReportJob(const ParseJobInput& input);
void RunOptionScanJob(const ParseJobInput& input);
unsigned ReportThreadProc(const ParseJobInput* input);
unsigned OptionScanThreadProc(const ParseJobInput* input);

void ComputeTotalSize(const std::vector<int>& checkedRows);
void ListMachineFiles(std::vector<std::string>& out, const std::string& pattern);

}  // namespace qz
