#pragma once
// Resources compiled into the program: dialog layouts and images.

#include <wx/gdicmn.h>
#include <wx/iconbndl.h>
#include <wx/image.h>

class wxDialog;
class wxWindow;

namespace qz {

// Ids shared by the main dialog's about entry.
inline constexpr int IDM_ABOUTBOX = 16;  // command id of the about entry
inline constexpr char kAboutBoxText[] = "&About Tavrilo Production Report...";

// Registers the layout handlers and the compiled-in layouts; safe to call more
// than once, UI thread only.
void LoadUiResources();

// Loads the named dialog layout into dlg and sizes its client area to
// templateSize dialog units, measured with the dialog's own font (the layout
// file cannot do that: it sizes the dialog before it sets the font).
bool LoadDialogLayout(wxDialog* dlg, wxWindow* parent, const char* name, wxSize templateSize);

// The application icon in its sizes (48 and 256 pixels).
wxIconBundle LoadAppIcons();
// One of them as an image (size 48 or 256).
wxImage LoadAppIconImage(int size);

}  // namespace qz
