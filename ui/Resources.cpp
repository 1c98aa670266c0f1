#include "ui/Resources.h"

#include <wx/dialog.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/mstream.h>
#include <wx/xrc/xmlres.h>

#include "ui/EmbeddedFiles.h"

// Written by wxrc from res/*.xrc.
extern void InitXmlResource();

namespace qz {

void LoadUiResources() {
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxXmlResource::Get()->InitAllHandlers();
    InitXmlResource();
}

bool LoadDialogLayout(wxDialog* dlg, wxWindow* parent, const char* name, wxSize templateSize) {
    LoadUiResources();
    if (!wxXmlResource::Get()->LoadDialog(dlg, parent, name))
        return false;
    dlg->SetClientSize(dlg->ConvertDialogToPixels(templateSize));
    return true;
}

wxImage LoadAppIconImage(int size) {
    LoadUiResources();  // the PNG decoder
    wxMemoryInputStream stream(size == 48 ? embedded::kIcon48Png : embedded::kIcon256Png,
                               size == 48 ? embedded::kIcon48PngSize : embedded::kIcon256PngSize);
    return wxImage(stream, wxBITMAP_TYPE_PNG);
}

wxIconBundle LoadAppIcons() {
    wxIconBundle icons;
    for (const int size : {48, 256}) {
        const wxImage image = LoadAppIconImage(size);
        if (!image.IsOk())
            continue;
        wxIcon icon;
        icon.CopyFromBitmap(wxBitmap(image));
        icons.AddIcon(icon);
    }
    return icons;
}

}  // namespace qz
