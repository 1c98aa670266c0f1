// A right-click on the banner, made through the X server as the operator's
// hand makes it, opens a menu with the about entry, and choosing that entry
// with the keyboard opens the about box.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/uiaction.h>

#include "tests/ui/UiTestSupport.h"
#include "ui/QZ8840ReporterDlg.h"

namespace qz {
namespace {

// Answers any modal dialog with OK, noting its title.
class ModalTitles : public wxModalDialogHook {
  public:
    ModalTitles() { Register(); }
    ~ModalTitles() override { Unregister(); }
    std::vector<std::string> titles;

  protected:
    int Enter(wxDialog* dlg) override {
        titles.push_back(dlg->GetTitle().utf8_string());
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
};

TEST(BannerMenuTest, RightClickOffersTheAboutEntry) {
    test::DataTree tree;
    tree.MakeDir("ReportData/M1");
    test::MessageBoxRecorder messages;
    const std::unique_ptr<CQZ8840ReporterDlg> dlg(
        new CQZ8840ReporterDlg(tree.Paths(), DateLocale::FromEnvironment()));
    dlg->Show();
    test::ProcessEvents();
    ModalTitles modals;

    // The menu's entries when it opens; then the operator picks the first.
    std::vector<std::string> entries;
    dlg->Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& event) {
        if (const wxMenu* menu = event.GetMenu()) {
            for (const wxMenuItem* item : menu->GetMenuItems())
                entries.push_back(item->GetItemLabel().utf8_string());
        }
        dlg->CallAfter([] {
            wxUIActionSimulator sim;
            sim.Char(WXK_DOWN);
            sim.Char(WXK_RETURN);
        });
        event.Skip();
    });
    test::RealPointTo(dlg->Banner());
    wxUIActionSimulator().MouseClick(wxMOUSE_BTN_RIGHT);

    EXPECT_TRUE(test::PumpUntil([&] { return !modals.titles.empty(); }))
        << "no about box; menu entries seen: " << entries.size();
    EXPECT_EQ(entries, std::vector<std::string>{"&About Tavrilo Production Report..."});
    EXPECT_EQ(modals.titles, std::vector<std::string>{"About Norvale Tavrilo Reporter"});
}

}  // namespace
}  // namespace qz
