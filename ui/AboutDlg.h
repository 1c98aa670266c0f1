#pragma once
// The about box: application icon, product name, version, a notice line, OK.

#include <wx/dialog.h>

namespace qz {

class CAboutDlg : public wxDialog {
  public:
    explicit CAboutDlg(wxWindow* parent);
};

}  // namespace qz
