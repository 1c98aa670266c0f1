#pragma once
// What a report counts: its days, the values it leaves out, and how record
// dates are read.

#include "dates/DateParser.h"
#include "dates/OleDate.h"
#include "records/OptionValues.h"

namespace qz {

struct ReportCriteria {
    // The first and last report day; their times of day are ignored.
    OleDate dtReportStart;
    OleDate dtReportEnd;
    OptionValues excluded;
    // The order of day and month in record dates, and the month names: the
    // user's, taken once at start-up (DateLocale::FromEnvironment) and passed
    // on as the data paths are.
    DateLocale dateLocale;
};

}  // namespace qz
