#include "ui/TextColumnFit.h"

#include <algorithm>

#include <wx/settings.h>

#include "ui/ReportDataListCtrl.h"

namespace qz {

void FitTextColumn(CReportDataListCtrl& list) {
    wxDataViewColumn* check = list.GetColumn(CReportDataListCtrl::kCheckColumn);
    wxDataViewColumn* text = list.GetColumn(CReportDataListCtrl::kTextColumn);
    if (!check || !text)
        return;
    // Room for the renderer's padding on both sides of the text.
    const int padding = 2 * list.FromDIP(8);
    int widest = list.GetTextExtent(text->GetTitle()).x + padding;
    for (long row = 0, n = list.GetItemCount(); row < n; ++row)
        widest = std::max(widest, list.GetTextExtent(list.GetItemText(row)).x + padding);
    const int room = list.GetClientSize().x - check->GetWidth() -
                     wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, &list);
    const int width = std::max(room, widest);
    if (text->GetWidth() != width)
        text->SetWidth(width);
}

void KeepTextColumnFitted(CReportDataListCtrl& list) {
    FitTextColumn(list);
    list.Bind(wxEVT_SIZE, [&list](wxSizeEvent& event) {
        event.Skip();
        FitTextColumn(list);
    });
}

}  // namespace qz
