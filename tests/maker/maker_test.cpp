// The maker's windows, driven as a user drives them.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/program_trailer.h"
#include "maker/dialogs/start_menu.h"
#include "tests/maker/maker_fixture.h"

namespace kelvane::test {
namespace {

class Maker : public MakerFixture {
protected:
    Maker() { main().show(); }
    TwipsRect preview_rect(Control c) { return *main().Frame1.area().rect(main().preview_control(c)); }
};

// The labels of a page, top to bottom.
std::vector<std::string> labels_of(Placement& page) {
    std::vector<std::pair<float, std::string>> found;
    for (Gtk::Widget* child : page.get_children())
        if (auto* label = dynamic_cast<Gtk::Label*>(child)) found.emplace_back(page.rect(*label)->top, label->get_text());
    std::sort(found.begin(), found.end());
    std::vector<std::string> texts;
    for (const auto& [top, text] : found) texts.push_back(text);
    return texts;
}

TEST_F(Maker, OpensWithItsDialogsAndTheirFieldsUnderTheirLabels) {
    EXPECT_TRUE(positions().get_visible());
    EXPECT_TRUE(window_dialog().get_visible());
    EXPECT_EQ(main().get_title(), "Kelvane V 5.2");
    EXPECT_EQ(main().Command2.get_tooltip_text(), "Compile Your webbrowser");
    EXPECT_FALSE(main().Frame3.get_visible());
    EXPECT_EQ(preview_rect(Control::Command1), (TwipsRect{3840, 120, 1695, 375}));
    EXPECT_EQ(labels_of(positions().client()),
              (std::vector<std::string>{"Main url textbox Width", "Main url textbox Height", "Main url textbox position top",
                                        "Main url textbox position left", "Browse Button Width", "Browse Button Height",
                                        "Browse Button top", "Browse Button Left", "Back Button Width",
                                        "Back Button Height"}));
    EXPECT_EQ(labels_of(positions().Frame1.area()),
              (std::vector<std::string>{"Back Button top", "Back Button Left", "Refresh Button Width",
                                        "Refresh Button Height", "Refresh Button top", "Refresh Button Left",
                                        "Webrowser Width", "Webrowser Height", "Webrowser top", "Webrowser Left"}));
    EXPECT_EQ(labels_of(window_dialog().client()),
              (std::vector<std::string>{"Your programs Height", "Your programs Width", "Your programs Border",
                                        "Your programs Mouse ", "Window state", "Show browser Adress bar"}));
    // Each field stands just under its label: the first of each page, and the height
    // above the width in the window dialog.
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
    EXPECT_EQ(main().Command1.get_label(), "Go!");
    EXPECT_EQ(main().Command3.get_label(), "");
    EXPECT_EQ(main().Command4.get_label(), "Again");
    EXPECT_EQ(main().Text1.get_text(), "example.org");
    drain();
    EXPECT_EQ(main().WebBrowser1.uri(), shown);
    main().Command3_Click();  // back with no earlier page: nothing, no message
    EXPECT_TRUE(messages.empty());
}

// A field that is no number, or a size the control refuses, leaves the preview as it was.
TEST_F(Maker, PositionFieldsMoveThePreviewAtOnceWhenTheyCan) {
    for (const char* text : {"2000", "2000a", ""}) positions().Text(8).set_text(text);  // browse button left
    EXPECT_EQ(preview_rect(Control::Command1).left, 2000);
    EXPECT_EQ(positions().Text(8).get_text(), "");
    positions().Text(10).set_text("-375");  // back button height: refused
    EXPECT_EQ(preview_rect(Control::Command2).height, 375);
    positions().Text(11).set_text("-100");  // back button top: partly out of the panel
    EXPECT_EQ(preview_rect(Control::Command2).top, -100);
}

// Every caption and label that shows can be read whole: nothing cut short, nothing
// beyond the place it has.
void expect_readable(Gtk::Widget& widget) {
    if (auto* label = dynamic_cast<Gtk::Label*>(&widget); label && label->get_mapped()) {
        int width = 0, height = 0;
        label->get_layout()->get_pixel_size(width, height);
        EXPECT_FALSE(label->get_layout()->is_ellipsized()) << label->get_text();
        EXPECT_LE(width, label->get_allocated_width()) << label->get_text();
        EXPECT_LE(height, label->get_allocated_height()) << label->get_text();
    }
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children()) expect_readable(*child);
}

TEST_F(Maker, EveryCaptionAndLabelReadsWholeOnEveryPage) {
    main().Frame3.show();
    EXPECT_EQ(positions().Command1.get_label(), "More Options");
    positions().Command1.clicked();
    EXPECT_TRUE(positions().Frame1.get_visible());
    EXPECT_EQ(positions().Command1.get_label(), "back");
    forms.frmSplash().show();
    forms.frmSplash().Label2_Click();  // the options page
    for (Gtk::Window* w : std::initializer_list<Gtk::Window*>{&main(), &positions(), &window_dialog(), &forms.frmSplash()}) {
        ASSERT_TRUE(show_and_wait_drawn(*w));
        expect_readable(*w);
    }
    positions().Command1.clicked();
    EXPECT_FALSE(positions().Frame1.get_visible());
    EXPECT_EQ(positions().Command1.get_label(), "More Options");
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
        {Form1, {Form3, frmMain, Form2, Form1}},
        {Form2, {Form3, frmMain, Form1, Form2}},
        {Form3, {frmMain, Form2, Form1, Form3}},
    };
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

TEST_F(Maker, CompileRefusesOnlyTheUnchosenColourExactly) {
    main().Command2.clicked();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Please select a program color");
    EXPECT_EQ(messages[0].style, vbOKOnly);
    EXPECT_EQ(messages[0].title, "Kelvane");
    EXPECT_FALSE(std::filesystem::exists(folder / "programname.exe"));

    // Other letter case, or look-alike full-width letters: a colour as far as the check goes.
    for (const char* colour : {"programs color", "Ｐｒｏｇｒａｍｓ Ｃｏｌｏｒ"}) {
        messages.clear();
        std::filesystem::remove(folder / "programname.exe");
        main().Text5.set_text(colour);
        main().Command2.clicked();
        ASSERT_EQ(messages.size(), 1u) << colour;
        EXPECT_EQ(messages[0].text, "Program Created and can be Found Here " + folder.path().string());
        EXPECT_EQ(messages[0].style, vbInformation);
        EXPECT_EQ(messages[0].title, "Kelvane");
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
    EXPECT_EQ(messages[0].text.find("There was an error during compilation\r\n\r\n"), 0u);
    EXPECT_NE(messages[0].text.raw().find("No such file or directory"), std::string::npos);
    EXPECT_EQ(messages[0].style, vbCritical);
    EXPECT_EQ(messages[0].title, "Error");
    EXPECT_FALSE(std::filesystem::exists(folder / "programname.exe"));
}

}  // namespace
}  // namespace kelvane::test
