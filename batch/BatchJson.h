#pragma once
// The batch command's --format json output: one JSON object on one line.
//
// Keys are record bytes; as on the report page, each byte above 0x7F stands
// for the ISO-8859-1 character of that value (\u00XX), so any key gives valid
// JSON and reads back as the same bytes.

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
