#pragma once
// The batch command's --format json output: one JSON object on one line.
//
// Texts are record bytes, written as the characters every place shows for
// them (platform/NameText.h: UTF-8 as itself, other bytes in the legacy
// encoding), as ASCII with \u escapes, so any text gives valid JSON.

#include <string>

#include "records/OptionValues.h"
#include "records/ReportCounts.h"
#include "report/CustomerList.h"
#include "report/ReportScope.h"

namespace qz {

// {"from":..,"to":..,"ok":..,"ng":..,"yield":..,"settingFiles":[{"name":..,"ok":..,"ng":..,
// "yield":..},..],"machineIds":[..],"scripts":..,"scope":{..},"days":[{"day":..,"ok":..,
// "ng":..,"yield":..},..]}: rows in the order of the report's scripts; a yield
// is the OK share in percent. "scope" holds the fields of the scope script but
// its days ("excludedCustomers" as [code, name] pairs), "days" its day rows,
// with a null yield for a day without records.
std::string ReportJson(const CReportTotals& totals, const ReportScope& scope,
                       const std::string& from, const std::string& to,
                       const std::string& scriptFolder);

// {"settingFiles":[..],"machineIds":[..],"customers":[{"code":..,"name":..},..]}: values
// ascending by bytes; a customer the list does not name has a null name.
std::string ScanJson(const OptionValues& found, const CustomerNames& customers);

}  // namespace qz
