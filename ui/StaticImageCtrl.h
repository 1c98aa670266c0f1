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
    CStaticImageCtrl();

    // A banner is not a tab stop.
    bool AcceptsFocus() const override { return false; }
    bool AcceptsFocusFromKeyboard() const override { return false; }

    // Draws the image scaled to size at 0, 0; nothing without an image.
    void Draw(wxDC& dc, wxSize size);

    // Replaces the image (null: none) and repaints the control.
    void SetImage(std::unique_ptr<wxImage> image);
    const wxImage* GetImage() const { return m_pImage.get(); }

  private:
    void OnPaint(wxPaintEvent& event);

    std::unique_ptr<wxImage> m_pImage;

    // The last scaled image, kept while neither the image nor the size change.
    // m_scaledFrom shares the source's data, so a new image never looks the same.
    wxBitmap m_scaled;
    wxImage m_scaledFrom;
    wxSize m_scaledSize;

    wxDECLARE_DYNAMIC_CLASS(CStaticImageCtrl);
};

// Decodes the embedded banner PNG; null when it cannot be decoded.
std::unique_ptr<wxImage> LoadImageFromResource();

}  // namespace qz
