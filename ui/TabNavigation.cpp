#include "ui/TabNavigation.h"

#include <wx/event.h>
#include <wx/window.h>

#include "ui/ReportDataListCtrl.h"

namespace qz {

void LeaveListOnTab(CReportDataListCtrl& list) {
    // Taken before the window that holds the rows (the list itself on GTK)
    // sees it: the generic list moves its cell focus on Tab.
    list.GetMainWindow()->Bind(wxEVT_CHAR_HOOK, [&list](wxKeyEvent& event) {
        if (event.GetKeyCode() != WXK_TAB || (event.GetModifiers() & ~wxMOD_SHIFT) != 0) {
            event.Skip();
            return;
        }
        list.Navigate(event.ShiftDown() ? wxNavigationKeyEvent::IsBackward
                                        : wxNavigationKeyEvent::IsForward);
    });
}

}  // namespace qz
