#pragma once
// The banner: a static control that draws one image stretched over its whole
// client area (aspect ratio not kept), with high-quality scaling. Without an
// image it paints nothing of its own.
//
// Layouts create it with <object class="wxPanel" subclass="CStaticImageCtrl">.

#include <memory>

#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/panel.h>

class wxDC;

namespace qz {

class CStaticImageCtrl : public wxPanel {
  public:
    CStaticImageCtrl() = default;

    // A banner is not a tab stop.
    bool AcceptsFocus() const override { return false; }
    bool AcceptsFocusFromKeyboard() const override { return false; }

    // Draws the image scaled to size at 0, 0; nothing without an image.
    void Draw(wxDC& dc, wxSize size);

    // Owned; set by the owner, which repaints the control afterwards.
    std::unique_ptr<wxImage> m_pImage;

  private:
    void OnPaint(wxPaintEvent& event);

    // The last scaled image, kept while neither the image nor the size change.
    // m_scaledFrom shares the source's data, so a new image never looks the same.
    wxBitmap m_scaled;
    wxImage m_scaledFrom;
    wxSize m_scaledSize;

    wxDECLARE_DYNAMIC_CLASS(CStaticImageCtrl);
    wxDECLARE_EVENT_TABLE();
};

// Decodes the embedded banner PNG; null when it cannot be decoded.
std::unique_ptr<wxImage> LoadImageFromResource();

}  // namespace qz
