// The maker's windows, driven as a user drives them: the main window with its preview,
// choosers and song preview, and its two dialogs.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/program_trailer.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/media_files.h"
#include "tests/support/x_window.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

using Texts = std::vector<std::string>;

class Maker : public MakerFixture {
protected:
    Maker() { main().show(); }
    TwipsRect preview_rect(Control c) { return *main().Frame1.area().rect(main().preview_control(c)); }
};

// The labels of a page, top to bottom.
Texts labels_of(Placement& page) {
    std::vector<std::pair<float, std::string>> found;
    for (Gtk::Widget* child : page.get_children())
        if (auto* label = dynamic_cast<Gtk::Label*>(child)) found.emplace_back(page.rect(*label)->top, label->get_text());
    std::sort(found.begin(), found.end());
    Texts texts;
    for (const auto& [top, text] : found) texts.push_back(text);
    return texts;
}

// Each field stands just under its label: the first of each page, and the height above
// the width in the window dialog.
TEST_F(Maker, OpensWithItsDialogsAndTheirFieldsUnderTheirLabels) {
    EXPECT_TRUE(positions().get_visible() && window_dialog().get_visible());
    EXPECT_EQ(main().get_title(), "Kelvane V 5.2");
    EXPECT_EQ(main().Command2.get_tooltip_text(), "Compile Your webbrowser");
    EXPECT_FALSE(main().Frame3.get_visible());
    EXPECT_EQ(preview_rect(Control::Command1), (TwipsRect{3840, 120, 1695, 375}));
    EXPECT_EQ(labels_of(positions().client()),
              (Texts{"Main url textbox Width", "Main url textbox Height", "Main url textbox position top",
                     "Main url textbox position left", "Browse Button Width", "Browse Button Height", "Browse Button top",
                     "Browse Button Left", "Back Button Width", "Back Button Height"}));
    EXPECT_EQ(labels_of(positions().Frame1.area()),
              (Texts{"Back Button top", "Back Button Left", "Refresh Button Width", "Refresh Button Height",
                     "Refresh Button top", "Refresh Button Left", "Webrowser Width", "Webrowser Height", "Webrowser top",
                     "Webrowser Left"}));
    EXPECT_EQ(labels_of(window_dialog().client()),
              (Texts{"Your programs Height", "Your programs Width", "Your programs Border", "Your programs Mouse ",
                     "Window state", "Show browser Adress bar"}));
    EXPECT_EQ(positions().client().rect(positions().Text(4))->top, 480);
    EXPECT_EQ(positions().Frame1.area().rect(positions().Text(11))->top, 480);
    EXPECT_EQ(window_dialog().client().rect(window_dialog().Text2)->top, 480);
    EXPECT_EQ(window_dialog().client().rect(window_dialog().Text1)->top, 480 + 840);
}

TEST_F(Maker, PreviewMirrorsCaptionsAndHomePageWithoutNavigating) {
    const Glib::ustring shown = main().WebBrowser1.uri();
    main().Text3.set_text("Go!");
    main().Text6.set_text("");
    main().Text7.set_text("Again");
    main().Text4.set_text("example.org");
    EXPECT_EQ((Texts{main().Command1.get_label(), main().Command3.get_label(), main().Command4.get_label(),
                     main().Text1.get_text()}),
              (Texts{"Go!", "", "Again", "example.org"}));
    drain();
    EXPECT_EQ(main().WebBrowser1.uri(), shown);
    main().Command3_Click();  // back with no earlier page: nothing, no message
    EXPECT_TRUE(messages.empty());
}

// A field that is no number, or a size the control refuses, leaves the preview as it was.
TEST_F(Maker, PositionFieldsMoveThePreviewAtOnceWhenTheyCan) {
    for (const char* text : {"2000", "2000a", ""}) positions().Text(8).set_text(text);  // browse button left
    EXPECT_EQ(preview_rect(Control::Command1).left, 2000);
    positions().Text(10).set_text("-375");  // back button height: refused
    positions().Text(11).set_text("-100");  // back button top: partly out of the panel
    EXPECT_EQ(preview_rect(Control::Command2), (TwipsRect{5520, -100, 1695, 375}));
}

TEST_F(Maker, TitleClockShowsTheTime) {
    main().Timer4.set_Enabled(true);
    EXPECT_TRUE(pump_until([&] { return main().get_title().find("Kelvane V 5.0 - The time is ") == 0; }));
}

// Closing any of the three windows unloads every window of the maker once, each
// window's handler the others in its own order, the window dialog itself before the
// full preview; handlers already running are not run again.
TEST_F(Maker, ClosingAnyWindowUnloadsEachInItsHandlersOrder) {
    using enum FormId;
    const std::pair<FormId, std::vector<FormId>> cases[] = {
        {Form1, {Form3, frmMain, Form2, Form1}}, {Form2, {Form3, frmMain, Form1, Form2}}, {Form3, {frmMain, Form2, Form1, Form3}}};
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
        windows[static_cast<int>(closed)]->close();  // as the close box does
        drain();
        EXPECT_EQ(unloads, order);
        EXPECT_EQ(ended, 1);
        for (FormId id : {Form1, Form2, Form3, frmMain}) EXPECT_FALSE(maker.loaded(id));
    }
}

// Only the unchosen colour's own words, exactly, are refused: other letter case and
// look-alike full-width letters are a colour as far as the check goes.
TEST_F(Maker, CompileRefusesOnlyTheUnchosenColourExactly) {
    main().Command2.clicked();
    EXPECT_EQ(messages, Texts{"Kelvane | 0 | Please select a program color"});
    EXPECT_FALSE(std::filesystem::exists(folder / "programname.exe"));
    for (const char* colour : {"programs color", "Ｐｒｏｇｒａｍｓ Ｃｏｌｏｒ"}) {
        messages.clear();
        std::filesystem::remove(folder / "programname.exe");
        main().Text5.set_text(colour);
        main().Command2.clicked();
        EXPECT_EQ(messages, Texts{"Kelvane | 64 | Program Created and can be Found Here " + folder.path().string()});
        EXPECT_TRUE(std::filesystem::exists(folder / "programname.exe")) << colour;
    }
}

TEST_F(Maker, CompileStoresTheDesignDefaultsOfEveryField) {
    main().Text5.set_text("16777215");
    main().Command2.clicked();
    SettingsRecord expected = default_record();
    expected.WriteProperty("url", main().Text8.get_text().raw());  // a placeholder of our choosing
    EXPECT_EQ(read_trailer(folder / "programname.exe"), expected);
}

TEST_F(Maker, CompileFailureSaysWhy) {
    main().Text5.set_text("0");
    std::filesystem::remove(folder / "browser.dat");
    main().Command2.clicked();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].starts_with("Error | 16 | There was an error during compilation\r\n\r\n")) << messages[0];
    EXPECT_NE(messages[0].find("No such file or directory"), std::string::npos) << messages[0];
    EXPECT_FALSE(std::filesystem::exists(folder / "programname.exe"));
}

class Choosers : public MakerFixture {
protected:
    Choosers() { main().show(); }
};

// Red sits in the low byte. A cancelled dialog keeps its last colour, black at first,
// and that colour is taken: the program can be compiled.
TEST_F(Choosers, ColourIsWrittenAsItsNumberAndACancelKeepsTheLastOne) {
    colours = {std::nullopt, 0xFF0000, std::nullopt};
    for (const char* number : {"0", "16711680", "16711680"}) {
        main().Command6.clicked();
        EXPECT_EQ(main().Text5.get_text(), number);
    }
    main().Command2.clicked();
    EXPECT_EQ(messages, std::vector<std::string>{"Kelvane | 64 | Program Created and can be Found Here " + folder.path().string()});
}

// Cancelled, not a picture, empty or missing: nothing changes and nothing is said.
TEST_F(Choosers, IconAndBackgroundShowInTheMakerAndUselessFilesChangeNothing) {
    const auto icon_before = main().get_icon();
    std::ofstream(folder / "notes.txt") << "not a picture";
    std::ofstream(folder / "empty.png");
    files = {std::nullopt, (folder / "notes.txt").string(), (folder / "empty.png").string(),
             (folder / "missing.png").string(), picture_file("icon.png", png_picture(24, 24))};
    for (int i = 0; i < 4; ++i) main().Command5.clicked();
    files.insert(files.begin(), {std::nullopt, (folder / "notes.txt").string()});
    for (int i = 0; i < 2; ++i) main().Command8.clicked();
    EXPECT_EQ(main().get_icon(), icon_before);
    EXPECT_TRUE(main().Image1.picture().empty());
    EXPECT_TRUE(main().Image2.picture().empty());
    EXPECT_FALSE(main().Frame3.get_visible());
    EXPECT_TRUE(messages.empty());

    main().Command5.clicked();
    ASSERT_TRUE(main().get_icon());
    EXPECT_EQ(main().get_icon()->get_width(), 24);
    const std::vector<std::string> said = {
        "Kelvane | 0 | A preview of your icon has been added to this program and can be seen beside the title"};
    EXPECT_EQ(messages, said);
    files = {picture_file("back.png", png_picture(50, 40))};
    main().Command8.clicked();
    EXPECT_TRUE(main().Frame3.get_visible());
    EXPECT_EQ(main().Image2.pixbuf()->get_width(), 50);
    main().Command9.clicked();
    EXPECT_FALSE(main().Frame3.get_visible());
    EXPECT_EQ(messages, said);
}

// What the user sees: the handles' blue over the background preview.
TEST_F(Choosers, SizingHandlesStayInFrontOfTheBackgroundPreview) {
    main().Control_MouseDown(Control::Command1, vbRightButton);
    files = {picture_file("back.png", png_picture(50, 40, 0xffffffff))};
    main().Command8.clicked();
    ASSERT_TRUE(main().Frame3.get_visible());
    ASSERT_TRUE(show_and_wait_drawn(main()));
    const unsigned long xid = gdk_x11_window_get_xid(main().get_window()->gobj());
    for (int i : {0, 4, 8}) {
        int x = 0, y = 0;
        main().designer.handle[i]->translate_coordinates(main(), 3, 3, x, y);
        EXPECT_TRUE(pump_until([&] {
            const auto colour = pixel(xid, x, y);
            return colour && (*colour & 0xff) > 0xa0 && (*colour >> 16) < 0x40;
        })) << "handle " << i;
    }
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

// Checking or unchecking, a click plays the song from the start of a new preview.
TEST_F(SongPreview, EachClickPlaysForAHundredAndSeventyNineTicks) {
    for (bool checked : {true, false}) {
        main().Check1.clicked();
        EXPECT_EQ(main().Check1.get_active(), checked) << "the switch itself changed";
        EXPECT_EQ(messages.back(),
                  "Kelvane | 0 | Your Created program will now play the song / radio stream u inputted you will now hear "
                  "a preview of ur song if u dont hear anything after several seconds please make sure the url is "
                  "correct the song will stop playing by its self after a few seconds");
        EXPECT_EQ(main().Text9, "1");
        EXPECT_TRUE(main().Timer3.Enabled());
        // Ticked by hand from here: the real timer would go on ticking while GStreamer starts.
        main().Timer3.set_Enabled(false);
        if (checked) tick(50);
    }
    EXPECT_EQ(messages.size(), 2u);
    ASSERT_TRUE(pump_until([&] { return main().WindowsMediaPlayer1.playing(); }));
    EXPECT_FALSE(main().WindowsMediaPlayer1.get_visible());
    tick(178);
    EXPECT_EQ(main().Text9, "179");
    EXPECT_EQ(main().WindowsMediaPlayer1.URL(), main().Text8.get_text());
    tick(1);
    EXPECT_EQ(main().Text9, "180");
    EXPECT_EQ(main().WindowsMediaPlayer1.URL(), "");
    EXPECT_FALSE(main().WindowsMediaPlayer1.playing());
}

TEST_F(SongPreview, EmptyAddressPlaysNothingButStillRunsItsTicks) {
    // The real timer stays switched on, as the preview left it, but never ticks within the
    // test: the ticks below are all by hand.
    main().Timer3.set_Interval(24 * 3600 * 1000);
    main().Text8.set_text("");
    main().Check1.clicked();
    drain();
    EXPECT_FALSE(main().WindowsMediaPlayer1.playing());
    EXPECT_EQ(main().WindowsMediaPlayer1.URL(), "");
    tick(178);
    EXPECT_TRUE(main().Timer3.Enabled());
    tick(1);
    EXPECT_FALSE(main().Timer3.Enabled());
}

TEST_F(SongPreview, TheRealTimerEndsIt) {
    main().Timer3.set_Interval(2);  // the real timer, only faster than any option sets it
    main().Check1.clicked();
    ASSERT_TRUE(pump_until([&] { return !main().Timer3.Enabled(); }));
    EXPECT_EQ(main().Text9, "180");
    EXPECT_EQ(main().WindowsMediaPlayer1.URL(), "");
}

}  // namespace
}  // namespace kelvane::test
