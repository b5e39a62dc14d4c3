// The maker's windows, driven as a user drives them: the main window with its choosers and
// song preview, its two dialogs, the compile and closing.
#include <gtest/gtest.h>

#include "common/program_trailer.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/media_files.h"

namespace kelvane::test {
namespace {

using Texts = std::vector<std::string>;

class Maker : public MakerFixture {
protected:
    Maker() { main().show(); }
    TwipsRect preview_rect(Control c) { return *main().Frame1.area().rect(main().preview_control(c)); }
};

// A field that is no number, or a size the control refuses, leaves the preview as it was.
TEST_F(Maker, PositionFieldsMoveThePreviewAtOnceWhenTheyCan) {
    for (const char* text : {"2000", "2000a", ""}) positions().Text(8).set_text(text);  // browse button left
    positions().Text(10).set_text("-375");  // back button height: refused
    positions().Text(11).set_text("-100");  // back button top: partly out of the panel
    EXPECT_EQ(preview_rect(Control::Command1), (TwipsRect{2000, 120, 1695, 375}));
    EXPECT_EQ(preview_rect(Control::Command2), (TwipsRect{5520, -100, 1695, 375}));
}

TEST_F(Maker, TitleShowsTheVersionThenTheTime) {
    EXPECT_EQ(main().get_title(), "Kelvane V 5.2");
    main().Timer4.set_Enabled(true);
    EXPECT_TRUE(pump_until([&] { return main().get_title().find("Kelvane V 5.0 - The time is ") == 0; }));
}

// The main window opens beside its two dialogs. Closing any of the three unloads every
// window of the maker once, each window's handler the others in its own order; handlers
// already running are not run again.
TEST_F(Maker, OpensBesideItsDialogsAndClosingAnyUnloadsEachInItsHandlersOrder) {
    using enum FormId;
    const std::pair<FormId, std::vector<FormId>> cases[] = {
        {Form1, {Form3, frmMain, Form2, Form1}},
        {Form2, {Form3, frmMain, Form1, Form2}},
        {Form3, {frmMain, Form2, Form1, Form3}}};
    for (const auto& [closed, order] : cases) {
        SCOPED_TRACE(static_cast<int>(closed));
        Forms maker(folder.path());
        std::vector<FormId> unloads;
        int ended = 0;
        maker.signal_unloaded().connect([&](FormId id) { unloads.push_back(id); });
        maker.signal_all_unloaded().connect([&] { ++ended; });
        maker.Form1().show();
        maker.frmMain();
        Gtk::Window* windows[] = {&maker.Form1(), &maker.Form2(), &maker.Form3()};
        EXPECT_TRUE(windows[1]->get_visible() && windows[2]->get_visible());
        windows[static_cast<int>(closed)]->close();  // as the close box does
        drain();
        EXPECT_EQ(unloads, order);
        EXPECT_EQ(ended, 1);
    }
}

// Only the unchosen colour's own words, exactly, are refused: other letter case and
// look-alike full-width letters are a colour as far as the check goes. Fields nobody
// touched are stored with their design texts. A failure says why.
TEST_F(Maker, CompileRefusesOnlyTheUnchosenColourStoresTheDesignTextsAndSaysWhatFailed) {
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
}

// Cancelled, not a picture, empty or missing: nothing changes and nothing is said.
TEST_F(Maker, TheIconShowsInTheMakerAndUselessFilesChangeNothing) {
    const auto icon_before = main().get_icon();
    const std::string notes = picture_file("notes.txt", Picture{{'n', 'o', 't'}});
    files = {std::nullopt, notes, picture_file("empty.png", {}), folder / "missing.png", std::nullopt, notes};
    for (int i = 0; i < 4; ++i) main().Command5.clicked();
    for (int i = 0; i < 2; ++i) main().Command8.clicked();
    EXPECT_EQ(main().get_icon(), icon_before);
    EXPECT_TRUE(main().Image1.picture().empty() && main().Image2.picture().empty());
    EXPECT_FALSE(main().Frame3.get_visible());
    EXPECT_TRUE(messages.empty());

    files = {picture_file("icon.png", png_picture(24, 24))};
    main().Command5.clicked();
    EXPECT_TRUE(main().get_icon() && main().get_icon()->get_width() == 24);
    EXPECT_EQ(messages, Texts{"Kelvane | 0 | A preview of your icon has been added to this program and can be seen "
                              "beside the title"});
}

class SongPreview : public MakerFixture {
protected:
    SongPreview() {
        write_wav(folder / "song.wav", 60);
        main().Text8.set_text((folder / "song.wav").string());
    }
    void tick(int times) {
        for (int i = 0; i < times; ++i) main().Timer3_Timer();
    }
};

// Checking or unchecking, a click plays the song from the start of a new preview, ended
// by the 180th tick: here by hand, then by the real timer.
TEST_F(SongPreview, EachClickPlaysForAHundredAndSeventyNineTicks) {
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
        tick(178);
        EXPECT_EQ(main().WindowsMediaPlayer1.URL(), main().Text8.get_text());
    }
    ASSERT_TRUE(pump_until([&] { return !main().Timer3.Enabled(); }));
    EXPECT_EQ(main().Text9, "180");
    EXPECT_EQ(main().WindowsMediaPlayer1.URL(), "");
    EXPECT_FALSE(main().WindowsMediaPlayer1.playing());
    EXPECT_EQ(messages.size(), 2u);
}

}  // namespace
}  // namespace kelvane::test
