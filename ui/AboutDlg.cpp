#include "ui/AboutDlg.h"

#include <wx/statbmp.h>
#include <wx/xrc/xmlres.h>

#include "ui/Resources.h"

namespace qz {

CAboutDlg::CAboutDlg(wxWindow* parent) {
    LoadDialogLayout(this, parent, "IDD_ABOUTBOX", wxSize(225, 76));
    const wxIconBundle icons = LoadAppIcons();
    SetIcons(icons);
    if (auto* icon = XRCCTRL(*this, "IDC_ABOUT_ICON", wxStaticBitmap)) {
        const wxSize size = icon->GetSize();
        const wxImage image = LoadAppIconImage(256);
        if (image.IsOk() && size.x > 0 && size.y > 0)
            icon->SetBitmap(wxBitmap(image.Scale(size.x, size.y, wxIMAGE_QUALITY_HIGH)));
    }
}

}  // namespace qz
