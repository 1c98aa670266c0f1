#include "ui/ListLayoutTrace.h"

#include <string>

#include <wx/button.h>
#include <wx/headerctrl.h>
#include <wx/toplevel.h>

#include "platform/DebugTrace.h"

namespace qz {

namespace {

std::string SizeText(const wxSize& size) {
    return std::to_string(size.x) + "x" + std::to_string(size.y);
}

std::string PointText(const wxPoint& point) {
    return std::to_string(point.x) + "," + std::to_string(point.y);
}

// The buttons of window and of every window inside it, where a click
// reaches them.
void TraceButtons(const wxWindow& window) {
    for (const wxWindow* child : window.GetChildren()) {
        if (const auto* button = dynamic_cast<const wxButton*>(child);
            button && button->IsShown()) {
            const wxRect rect = button->GetRect();
            DebugTrace("button '" + button->GetLabelText().utf8_string() + "' at " +
                       PointText(window.ClientToScreen(rect.GetPosition() + rect.GetSize() / 2)));
        }
        TraceButtons(*child);
    }
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
        DebugTrace(name + " row " + std::to_string(row) + ": check at " + PointText(at) + "; " +
                   (!whole.IsEmpty() && visible.Contains(whole) ? "shown" : "hidden") + "; text '" +
                   list.GetTextValue(static_cast<unsigned>(row), textColumn).utf8_string() + "'");
    }
    TraceButtons(*wxGetTopLevelParent(&list));
}

}  // namespace qz
