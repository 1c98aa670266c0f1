#include "ui/StaticImageCtrl.h"

#include <wx/dcclient.h>
#include <wx/mstream.h>

#include "ui/EmbeddedFiles.h"
#include "ui/Resources.h"

namespace qz {

wxIMPLEMENT_DYNAMIC_CLASS(CStaticImageCtrl, wxPanel);

wxBEGIN_EVENT_TABLE(CStaticImageCtrl, wxPanel) EVT_PAINT(CStaticImageCtrl::OnPaint)
    wxEND_EVENT_TABLE()

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
