#pragma once
// The debug trace of a check list's layout (QZ_DEBUG_TRACE): its row count,
// the sizes of its row and header windows where the list is wx's generic one
// (MSW), and for every row where its check box lies on the screen, its text,
// and whether the row lies whole inside the visible row window; then the
// centre of each button of its window. Tests of the Windows build read it
// to click a row or a button and to see that every row is drawn.
//
//   list 'Machine Name': 4 rows; row window 296x130; header 296x24
//   list 'Machine Name' row 2: check at 431,317; shown; text 'DEMO-Machine-3'
//   button 'Generate Report' at 610,420

#include <wx/dataview.h>

namespace qz {

void TraceListLayout(wxDataViewListCtrl& list, unsigned checkColumn, unsigned textColumn);

}  // namespace qz
