#include <memory>

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>

#include "ui/StaticImageCtrl.h"

namespace qz {
namespace {

const wxColour kBackground(255, 0, 255);

// What the control draws into a size x 60 bitmap filled with kBackground.
wxImage Render(CStaticImageCtrl& ctrl, int width) {
    wxBitmap bitmap(width, 60, 24);
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(wxBrush(kBackground));
        dc.Clear();
        ctrl.Draw(dc, wxSize(width, 60));
    }
    return bitmap.ConvertToImage();
}

bool IsBackground(const wxImage& image, int x, int y) {
    return image.GetRed(x, y) == 255 && image.GetGreen(x, y) == 0 && image.GetBlue(x, y) == 255;
}

class BannerTest : public ::testing::Test {
  protected:
    BannerTest() : m_frame(new wxFrame(nullptr, wxID_ANY, "banner")) {
        m_banner->Create(m_frame, wxID_ANY);
    }
    ~BannerTest() override { delete m_frame; }

    wxFrame* m_frame;
    CStaticImageCtrl* m_banner = new CStaticImageCtrl;
};

TEST_F(BannerTest, EmbeddedPictureIs1200By60WithAlpha) {
    const std::unique_ptr<wxImage> image = LoadImageFromResource();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetSize(), wxSize(1200, 60));
    EXPECT_TRUE(image->HasAlpha());
}

TEST_F(BannerTest, PictureFillsTheWholeAreaSqueezedOrStretched) {
    m_banner->SetImage(LoadImageFromResource());
    ASSERT_NE(m_banner->GetImage(), nullptr);
    const wxImage& source = *m_banner->GetImage();
    for (const int width : {900, 1600}) {
        SCOPED_TRACE(width);
        const wxImage drawn = Render(*m_banner, width);
        // Opaque parts of the picture reach both ends and the bottom row: the
        // picture is scaled to the area, not drawn at its own size.
        EXPECT_FALSE(IsBackground(drawn, 0, 30));
        EXPECT_FALSE(IsBackground(drawn, width - 1, 30));
        EXPECT_FALSE(IsBackground(drawn, width / 2, 59));
        // The left edge keeps the picture's colour.
        EXPECT_NEAR(drawn.GetBlue(1, 1), source.GetBlue(1, 1), 12);
    }
}

TEST_F(BannerTest, WithoutImageNothingIsDrawn) {
    const wxImage drawn = Render(*m_banner, 900);
    for (const int x : {0, 450, 899})
        EXPECT_TRUE(IsBackground(drawn, x, 30)) << x;

    m_banner->SetImage(std::make_unique<wxImage>());  // not decodable
    const wxImage again = Render(*m_banner, 900);
    EXPECT_TRUE(IsBackground(again, 450, 30));
}

}  // namespace
}  // namespace qz
