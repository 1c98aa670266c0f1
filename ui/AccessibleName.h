#pragma once
// The name assistive technology reads for a control that shows no text of its
// own (a date picker): "First day" rather than nothing.

#include <wx/string.h>

class wxWindow;

namespace qz {

// Names window, and the text fields inside it that take the keyboard, for
// assistive technology (ATK on GTK, MSAA on Windows).
void SetAccessibleName(wxWindow* window, const wxString& name);

}  // namespace qz
