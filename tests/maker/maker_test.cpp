// The maker's windows, driven as a user drives them: the start menu's options and its end,
// the main window with its choosers and song preview, its two dialogs, the compile and closing.
#include "common/program_trailer.h"
#include "maker/dialogs/start_menu.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/media_files.h"

namespace kelvane::test {
namespace {

using Texts = std::vector<std::string>;

using Maker = MakerFixture;

// Only the unchosen colour's own words, exactly, are refused: other letter case and
// look-alike full-width letters are a colour as far as the check goes. Fields nobody
// touched are stored with their design texts. A failure says why. The main window's title
// is the version, its icon the chosen one. It opens beside its two dialogs; closing one
// unloads every window of the maker once, each window's handler the others in its own
// order; handlers already running are not run again.
TEST_F(Maker, CompileRefusesOnlyTheUnchosenColourSaysWhatFailedAndClosingOneWindowUnloadsEach) {
    main().show();
    main().Command2.clicked();
    EXPECT_EQ(messages, Texts{"Kelvane | 0 | Please select a program color"});
    EXPECT_FALSE(std::filesystem::exists(folder / "programname.exe"));
    SettingsRecord expected = default_record();
    expected.WriteProperty("url", main().Text8.get_text().raw());  // a placeholder of our choosing
    for (const char* colour : {"programs color", "Ｐｒｏｇｒａｍｓ Ｃｏｌｏｒ"}) {
        messages.clear();
        main().Text5.set_text(colour);
        main().Command2.clicked();
        EXPECT_EQ(messages, Texts{"Kelvane | 64 | Program Created and can be Found Here " + folder.path().string()});
        expected.WriteProperty("color", std::string(colour));
        EXPECT_EQ(read_trailer(folder / "programname.exe"), expected) << colour;
    }
    std::filesystem::remove(folder / "browser.dat");
    main().txtExeFile.set_text("another");
    main().Command2.clicked();
    const std::string failed = messages.back();
    EXPECT_TRUE(failed.starts_with("Error | 16 | There was an error during compilation\r\n\r\n")) << failed;
    EXPECT_NE(failed.find("No such file or directory"), std::string::npos) << failed;
    EXPECT_FALSE(std::filesystem::exists(folder / "another"));

    EXPECT_EQ(main().get_title(), "Kelvane V 5.2");
    files = {picture_file("icon.png", png_picture(24, 24))};
    main().Command5.clicked();
    EXPECT_TRUE(main().get_icon() && main().get_icon()->get_width() == 24);
    EXPECT_EQ(messages.back(), "Kelvane | 0 | A preview of your icon has been added to this program and can be seen beside the title");
    forms.frmMain();
    EXPECT_TRUE(positions().get_visible() && window_dialog().get_visible());
    positions().close();  // as the close box does
    drain();
    EXPECT_EQ(unloaded, (std::vector{FormId::Form3, FormId::frmMain, FormId::Form1, FormId::Form2}));
    EXPECT_EQ(all_unloaded, 1);
}

using SongPreview = MakerFixture;

// Checking or unchecking, a click plays the song from the start of a new preview, ended
// by the 180th tick: here by hand, then by the real timer.
TEST_F(SongPreview, EachClickPlaysForAHundredAndSeventyNineTicks) {
    write_wav(folder / "song.wav", 60);
    main().Text8.set_text((folder / "song.wav").string());
    for (bool checked : {true, false}) {
        main().Timer3.set_Interval(checked ? 24 * 3600 * 1000 : 2);  // the first ticked only by hand
        main().Check1.clicked();
        EXPECT_EQ(main().Check1.get_active(), checked) << "the switch itself changed";
        EXPECT_EQ(messages.back(),
                  "Kelvane | 0 | Your Created program will now play the song / radio stream u inputted you will now hear "
                  "a preview of ur song if u dont hear anything after several seconds please make sure the url is "
                  "correct the song will stop playing by its self after a few seconds");
        EXPECT_EQ(main().Text9, "1");
        EXPECT_TRUE(main().Timer3.Enabled());
        if (!checked) break;
        ASSERT_TRUE(pump_until([&] { return main().WindowsMediaPlayer1.playing(); }));
        EXPECT_FALSE(main().WindowsMediaPlayer1.get_visible());
        for (int tick = 1; tick <= 178; ++tick) main().Timer3_Timer();
        EXPECT_EQ(main().WindowsMediaPlayer1.URL(), main().Text8.get_text());
    }
    ASSERT_TRUE(pump_until([&] { return !main().Timer3.Enabled(); }));
    EXPECT_EQ(main().Text9, "180");
    EXPECT_EQ(main().WindowsMediaPlayer1.URL(), "");
    EXPECT_FALSE(main().WindowsMediaPlayer1.playing());
    EXPECT_EQ(messages.size(), 2u);
}

using StartMenuTest = MakerFixture;

// Checking or unchecking, each option applies to the main window, which it loads but does
// not show, hides the position dialog and says so; what it sets stays through the options
// clicked after it and when the upper picture button shows the main window and the
// position dialog and ends the menu.
TEST_F(StartMenuTest, OptionsApplyToTheHiddenMainWindowConfirmAndStay) {
    StartMenu& menu = forms.frmSplash();
    menu.show();
    // Each option, then the song preview's interval in ms, the main window's border, whether its clock runs.
    const std::tuple<Gtk::CheckButton*, unsigned, int, bool> options[] = {
        {&menu.Check1, 100, 1, false}, {&menu.Check2, 130, 1, false}, {&menu.Check4, 130, 1, true},
        {&menu.Check3, 130, 4, true}, {&menu.Check1, 100, 4, true}};
    const auto applied = [&] { return std::tuple(main().Timer3.Interval(), main().border_style(), main().Timer4.Enabled()); };
    std::size_t confirmed = 0;
    for (const auto& [box, interval, border, clock] : options)
        for (int click = 1; click <= 2; ++click) {
            box->clicked();
            ASSERT_TRUE(forms.loaded(FormId::Form1));
            EXPECT_EQ(std::tuple(main().get_visible(), positions().get_visible(), window_dialog().get_visible()),
                      std::tuple(false, false, true));
            EXPECT_EQ(messages, std::vector<std::string>(++confirmed, "Kelvane | 0 | Settings have been changed successfully."));
            EXPECT_EQ(applied(), std::tuple(interval, border, clock)) << box->get_label() << ", click " << click;
        }
    menu.Label1_Click();
    EXPECT_TRUE(main().get_visible() && positions().get_visible() && window_dialog().get_visible());
    EXPECT_FALSE(forms.loaded(FormId::frmSplash));
    EXPECT_EQ(all_unloaded, 0);
    EXPECT_EQ(applied(), std::tuple(100u, 4, true));
}

TEST_F(StartMenuTest, ClosingTheMenuAloneEndsTheMaker) {
    forms.frmSplash().show();
    forms.frmSplash().close();
    drain();
    EXPECT_EQ(all_unloaded, 1);
}

}  // namespace
}  // namespace kelvane::test
