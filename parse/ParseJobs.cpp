#include "parse/ParseJobs.h"

namespace qz {

void RunReportJob(const ParseJobInput& input) {
    (void)input;
}

void RunOptionScanJob(const ParseJobInput& input) {
    (void)input;
}

unsigned ReportThreadProc(const ParseJobInput* input) {
    RunReportJob(*input);
    return 0;
}

unsigned OptionScanThreadProc(const ParseJobInput* input) {
    RunOptionScanJob(*input);
    return 0;
}

void ComputeTotalSize(const std::vector<int>& checkedRows) {
    (void)checkedRows;
}

void ListMachineFiles(std::vector<std::string>& out, const std::string& pattern) {
    (void)out;
    (void)pattern;
}

}  // namespace qz
