// The start menu and its options page.
#include "maker/dialogs/start_menu.h"

#include "tests/maker/maker_fixture.h"

namespace kelvane::test {
namespace {

class StartMenuTest : public MakerFixture {
protected:
    StartMenuTest() { menu().show(); }
    StartMenu& menu() { return forms.frmSplash(); }
};

struct OptionCase {
    const char* name;
    Gtk::CheckButton StartMenu::*box;
    unsigned interval;
    int border;
    bool clock;
};

class Options : public StartMenuTest, public testing::WithParamInterface<OptionCase> {};

// Checking or unchecking, an option applies to the main window, which it loads but does
// not show, hides the position dialog and says so.
TEST_P(Options, ApplyToTheHiddenMainWindowAndConfirm) {
    const OptionCase& option = GetParam();
    for (int click = 1; click <= 2; ++click) {
        (menu().*option.box).clicked();
        ASSERT_TRUE(forms.loaded(FormId::Form1));
        MainWindow& main = forms.Form1();
        EXPECT_FALSE(main.get_visible());
        EXPECT_TRUE(forms.Form3().get_visible());
        EXPECT_FALSE(forms.Form2().get_visible());
        EXPECT_EQ(main.Timer3.Interval(), option.interval);
        EXPECT_EQ(main.border_style(), option.border);
        EXPECT_EQ(main.Timer4.Enabled(), option.clock);
        EXPECT_EQ(messages, std::vector<std::string>(click, "Kelvane | 0 | Settings have been changed successfully."));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Each, Options,
    testing::Values(OptionCase{"Cable", &StartMenu::Check1, 100, 1, false},
                    OptionCase{"DialUp", &StartMenu::Check2, 130, 1, false},
                    OptionCase{"Border", &StartMenu::Check3, 100, 4, true},
                    OptionCase{"Clock", &StartMenu::Check4, 100, 1, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartMenuTest, CreatingShowsMainWindowAndPositionsAndEndsTheMenu) {
    menu().Check2.clicked();  // hides the position dialog
    menu().Label1_Click();
    EXPECT_TRUE(forms.Form1().get_visible());
    EXPECT_TRUE(forms.Form2().get_visible());
    EXPECT_TRUE(forms.Form3().get_visible());
    EXPECT_FALSE(forms.loaded(FormId::frmSplash));
    EXPECT_EQ(forms.Form1().Timer3.Interval(), 130u) << "the option stays";
    EXPECT_EQ(all_unloaded, 0);
}

TEST_F(StartMenuTest, TheOptionsPageComesAndGoes) {
    menu().Label2_Click();
    EXPECT_TRUE(menu().Frame1.get_visible());
    menu().Check6.clicked();  // "Return to main Menu"
    EXPECT_FALSE(menu().Frame1.get_visible());
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(forms.loaded(FormId::Form1));
}

TEST_F(StartMenuTest, ClosingTheMenuAloneEndsTheMaker) {
    menu().close();
    drain();
    EXPECT_EQ(all_unloaded, 1);
}

}  // namespace
}  // namespace kelvane::test
