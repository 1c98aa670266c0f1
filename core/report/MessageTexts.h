#pragma once
// The texts the operator reads, written once for the dialogs and the batch
// command, which must say the same.

namespace qz {

// No machine row is checked when a command that reads records starts.
inline constexpr char kNoMachineSelectedMessage[] = "No \"Machine (platform)\" is selected";
// The job found no record file with data to read.
inline constexpr char kRecordNotFoundMessage[] = "Production record not found!!";
// The files were read, and no record was counted.
inline constexpr char kNoRecordMessage[] =
    "No record!!\r\nPlease check \"Machine (Platform)\", \"Date\" and \"Option\"!!";
// The system has no thread for the job; the reason follows.
inline constexpr char kJobNotStartedMessage[] = "The job could not be started: ";
// The name shown for a customer code that the customer list does not hold.
inline constexpr char kUnknownCustomerName[] = "Unknown";

}  // namespace qz
