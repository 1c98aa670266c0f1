#pragma once
// Tab leaves a check list for the next control, as it leaves every other
// control: wx's generic list (the MSW build's) would move between its rows.

namespace qz {

class CReportDataListCtrl;

// From now on Tab (Shift+Tab) in list moves the focus to the next (previous)
// control of its dialog.
void LeaveListOnTab(CReportDataListCtrl& list);

}  // namespace qz
