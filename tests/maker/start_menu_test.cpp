// The start menu's options and its end.
#include "maker/dialogs/start_menu.h"

#include "tests/maker/maker_fixture.h"

namespace kelvane::test {
namespace {

class StartMenuTest : public MakerFixture {};

// Checking or unchecking, each option applies to the main window, which it loads but does
// not show, hides the position dialog and says so; what it sets stays through the options
// clicked after it and when the upper picture button shows the main window and the
// position dialog and ends the menu.
TEST_F(StartMenuTest, OptionsApplyToTheHiddenMainWindowConfirmAndStay) {
    StartMenu& menu = forms.frmSplash();
    menu.show();
    const struct {
        Gtk::CheckButton* box;
        unsigned interval;  // of the song preview, in ms
        int border;
        bool clock;
    } options[] = {{&menu.Check1, 100, 1, false}, {&menu.Check2, 130, 1, false}, {&menu.Check4, 130, 1, true},
                   {&menu.Check3, 130, 4, true}, {&menu.Check1, 100, 4, true}};
    std::size_t confirmed = 0;
    for (const auto& option : options) {
        for (int click = 1; click <= 2; ++click) {
            option.box->clicked();
            ASSERT_TRUE(forms.loaded(FormId::Form1));
            EXPECT_EQ(std::tuple(main().get_visible(), positions().get_visible(), window_dialog().get_visible()),
                      std::tuple(false, false, true));
            EXPECT_EQ(messages, std::vector<std::string>(++confirmed, "Kelvane | 0 | Settings have been changed successfully."));
            EXPECT_EQ(std::tuple(main().Timer3.Interval(), main().border_style(), main().Timer4.Enabled()),
                      std::tuple(option.interval, option.border, option.clock)) << option.box->get_label() << ", click " << click;
        }
    }
    menu.Label1_Click();
    EXPECT_TRUE(main().get_visible() && positions().get_visible() && window_dialog().get_visible());
    EXPECT_FALSE(forms.loaded(FormId::frmSplash));
    EXPECT_EQ(all_unloaded, 0);
    EXPECT_EQ(std::tuple(main().Timer3.Interval(), main().border_style(), main().Timer4.Enabled()), std::tuple(100u, 4, true));
}

TEST_F(StartMenuTest, ClosingTheMenuAloneEndsTheMaker) {
    forms.frmSplash().show();
    forms.frmSplash().close();
    drain();
    EXPECT_EQ(all_unloaded, 1);
}

}  // namespace
}  // namespace kelvane::test
