#include "ui/ListLayoutTrace.h"

#include <string>

#include "platform/DebugTrace.h"

namespace qz {

namespace {

std::string SizeText(const wxSize& size) {
    return std::to_string(size.x) + "x" + std::to_string(size.y);
}

}  // namespace

void TraceListLayout(wxDataViewListCtrl& list, unsigned checkColumn, unsigned textColumn) {
    const wxDataViewColumn* column = list.GetColumn(textColumn);
    const std::string name =
        "list '" + (column ? column->GetTitle() : wxString()).utf8_string() + "'";
    std::string line = name + ": " + std::to_string(list.GetItemCount()) + " rows";
    // The generic list draws its rows in a child window below its header; on
    // GTK the list is that window itself.
    const wxWindow* rows = list.GetMainWindow();
    const wxRect visible(rows == &list ? wxPoint(0, 0) : rows->GetPosition(),
                         rows->GetClientSize());
    line += "; row window " + SizeText(rows->GetClientSize());
#ifdef wxHAS_GENERIC_DATAVIEWCTRL
    if (const wxWindow* header = list.GenericGetHeader()) {
        line += "; header " + SizeText(header->GetClientSize());
    }
#endif
    DebugTrace(line);
    for (int row = 0, count = list.GetItemCount(); row < count; ++row) {
        const wxDataViewItem item = list.RowToItem(row);
        const wxRect whole = list.GetItemRect(item);
        const wxRect check = list.GetItemRect(item, list.GetColumn(checkColumn));
        const wxPoint at = list.ClientToScreen(check.GetPosition() + check.GetSize() / 2);
        DebugTrace(name + " row " + std::to_string(row) + ": check at " + std::to_string(at.x) +
                   "," + std::to_string(at.y) + "; " +
                   (!whole.IsEmpty() && visible.Contains(whole) ? "shown" : "hidden") + "; text '" +
                   list.GetTextValue(static_cast<unsigned>(row), textColumn).utf8_string() + "'");
    }
}

}  // namespace qz
