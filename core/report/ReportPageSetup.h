#pragma once
// The report page in the user's data tree. Installation puts the page only
// below the install folder; the program (as the user, at start-up) creates the
// script folder and copies the page's files into the data tree where they are
// missing, so a fresh install's first report works and the user's tree is
// never written by an installer running as another user.

#include <optional>
#include <string>

#include "report/DataPaths.h"

namespace qz {

// The installed page's folder: "report" beside the executable (the Windows
// install), else "../share/qz8840-reporter/report" from the executable's
// folder (an install below a prefix, and the build tree); none when neither
// holds report.html.
std::optional<std::string> FindInstalledReportPage();

// Creates the page's folder and the script folder of paths, and copies every
// file of installedPage that the page's folder lacks (a file that is there is
// kept: the site may have changed it). Each file is copied whole or not at
// all. Returns what went wrong ("" when nothing did), naming the path.
std::string PrepareReportPage(const DataPaths& paths, const std::string& installedPage);

// Both, for a front end at start-up: the page from FindInstalledReportPage,
// or only the folders when no installed page is found.
std::string PrepareReportPage(const DataPaths& paths);

}  // namespace qz
