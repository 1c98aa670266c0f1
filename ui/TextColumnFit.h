#pragma once
// Long rows shown whole: a check list's text column fills the list and widens
// to its longest row where that is wider, so no row is cut (the list scrolls
// sideways instead). UI thread only.

namespace qz {

class CReportDataListCtrl;

// Fits the text column to the list's size and rows now.
void FitTextColumn(CReportDataListCtrl& list);

// Fits it now and again whenever the list is resized.
void KeepTextColumnFitted(CReportDataListCtrl& list);

}  // namespace qz
