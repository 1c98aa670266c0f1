#include "ui/StaticImageCtrl.h"

#include <utility>

#include <wx/dcclient.h>
#include <wx/mstream.h>

#include "ui/EmbeddedFiles.h"
#include "ui/Resources.h"

namespace qz {

wxIMPLEMENT_DYNAMIC_CLASS(CStaticImageCtrl, wxPanel);

CStaticImageCtrl::CStaticImageCtrl() {
    Bind(wxEVT_PAINT, &CStaticImageCtrl::OnPaint, this);
    // The whole image is scaled anew to a new size, not just the part uncovered.
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        Refresh();
        event.Skip();
    });
}

void CStaticImageCtrl::SetImage(std::unique_ptr<wxImage> image) {
    m_pImage = std::move(image);
    Refresh();
}

void CStaticImageCtrl::Draw(wxDC& dc, wxSize size) {
    if (!m_pImage || !m_pImage->IsOk() || size.x <= 0 || size.y <= 0)
        return;
    if (!m_scaled.IsOk() || !m_scaledFrom.IsSameAs(*m_pImage) || m_scaledSize != size) {
        m_scaled = wxBitmap(m_pImage->Scale(size.x, size.y, wxIMAGE_QUALITY_HIGH));
        m_scaledFrom = *m_pImage;
        m_scaledSize = size;
    }
    dc.DrawBitmap(m_scaled, 0, 0, true);
}

void CStaticImageCtrl::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    Draw(dc, GetClientSize());
}

std::unique_ptr<wxImage> LoadImageFromResource() {
    LoadUiResources();  // the PNG decoder
    wxMemoryInputStream stream(embedded::kBannerPng, embedded::kBannerPngSize);
    auto image = std::make_unique<wxImage>(stream, wxBITMAP_TYPE_PNG);
    if (!image->IsOk())
        return nullptr;
    return image;
}

}  // namespace qz
