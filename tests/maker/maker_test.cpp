// The maker's windows, driven as a user drives them.
#include <gtest/gtest.h>

#include "common/program_trailer.h"
#include "maker/compiler/compiler.h"
#include "maker/dialogs/position_dialog.h"
#include "maker/dialogs/window_dialog.h"
#include "maker/forms.h"
#include "maker/mainwindow/main_window.h"
#include "platform/message_box.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

class Maker : public MakerFixture {
protected:
    Maker() { main().show(); }

    MainWindow& main() { return forms.Form1(); }
    PositionDialog& positions() { return forms.Form2(); }
    WindowDialog& window() { return forms.Form3(); }
    TwipsRect preview_rect(Control c) { return *main().Frame1.area().rect(main().preview_control(c)); }
};

TEST_F(Maker, OpensWithItsDialogsAndDesignTexts) {
    EXPECT_TRUE(forms.loaded(FormId::Form2));
    EXPECT_TRUE(forms.loaded(FormId::Form3));
    EXPECT_TRUE(positions().get_visible());
    EXPECT_TRUE(window().get_visible());
    EXPECT_EQ(main().get_title(), "Kelvane V 5.2");
    EXPECT_EQ(main().Text5.get_text(), "Programs Color");
    EXPECT_EQ(main().txtExeFile.get_text(), "programname.exe");
    EXPECT_EQ(main().Command2.get_tooltip_text(), "Compile Your webbrowser");
    EXPECT_FALSE(main().Frame3.get_visible());
    for (Control c : {Control::Text1, Control::Command1, Control::Command2, Control::Command3, Control::WebBrowser1})
        EXPECT_EQ(preview_rect(c), design_rect(c));
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

TEST_F(Maker, PositionFieldsMoveThePreviewAtOnce) {
    positions().Text(8).set_text("2000");  // browse button left
    EXPECT_EQ(preview_rect(Control::Command1).left, 2000);
    positions().Text(8).set_text("2000a");
    EXPECT_EQ(preview_rect(Control::Command1).left, 2000);
    EXPECT_EQ(positions().Text(8).get_text(), "2000a");
    positions().Text(8).set_text("");
    EXPECT_EQ(preview_rect(Control::Command1).left, 2000);

    positions().Text(10).set_text("-375");  // back button height: refused
    EXPECT_EQ(preview_rect(Control::Command2).height, 375);
    positions().Text(11).set_text("-100");  // back button top: partly out of the panel
    EXPECT_EQ(preview_rect(Control::Command2).top, -100);
    positions().Text(4).set_text(" 4642.5 ");  // address box width
    EXPECT_EQ(preview_rect(Control::Text1).width, 4642.5f);
    positions().Text(17).set_text("1000");  // web view width
    EXPECT_EQ(preview_rect(Control::WebBrowser1).width, 1000);
}

TEST_F(Maker, PageButtonTogglesThePages) {
    PositionDialog& dialog = positions();
    EXPECT_FALSE(dialog.Frame1.get_visible());
    EXPECT_EQ(dialog.Command1.get_label(), "More Options");
    dialog.Command1.clicked();
    EXPECT_TRUE(dialog.Frame1.get_visible());
    EXPECT_EQ(dialog.Command1.get_label(), "back");
    dialog.Command1.clicked();
    EXPECT_FALSE(dialog.Frame1.get_visible());
    EXPECT_EQ(dialog.Command1.get_label(), "More Options");
}

TEST_F(Maker, TitleClockShowsTheTime) {
    main().Timer4.set_Enabled(true);
    EXPECT_TRUE(pump_until([&] { return main().get_title().find("Kelvane V 5.0 - The time is ") == 0; }));
}

class ClosingRule : public Maker, public testing::WithParamInterface<FormId> {};

TEST_P(ClosingRule, ClosingAnyWindowUnloadsEachExactlyOnce) {
    Gtk::Window* windows[] = {&main(), &positions(), &window()};
    windows[static_cast<int>(GetParam())]->close();
    drain();
    std::sort(unloaded.begin(), unloaded.end());
    EXPECT_EQ(unloaded, (std::vector<FormId>{FormId::Form1, FormId::Form2, FormId::Form3}));
    EXPECT_EQ(all_unloaded, 1);
    for (FormId id : {FormId::Form1, FormId::Form2, FormId::Form3}) EXPECT_FALSE(forms.loaded(id));
}

INSTANTIATE_TEST_SUITE_P(Windows, ClosingRule, testing::Values(FormId::Form1, FormId::Form2, FormId::Form3));

TEST_F(Maker, CompileRefusesTheUnchosenColour) {
    main().Command2.clicked();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Please select a program color");
    EXPECT_EQ(messages[0].style, vbOKOnly);
    EXPECT_EQ(messages[0].title, "Kelvane");
    EXPECT_FALSE(std::filesystem::exists(folder / "programname.exe"));

    main().Text5.set_text("programs color");  // other letter case: a colour as far as the check goes
    main().Command2.clicked();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, "Program Created and can be Found Here " + folder.path().string());
    EXPECT_EQ(messages[1].style, vbInformation);
    EXPECT_EQ(messages[1].title, "Kelvane");
    EXPECT_TRUE(std::filesystem::exists(folder / "programname.exe"));
}

TEST_F(Maker, CompileStoresTheDesignDefaultsOfEveryField) {
    main().Text5.set_text("255");
    main().Command2.clicked();
    const SettingsRecord stored = read_trailer(folder / "programname.exe");
    SettingsRecord expected = default_record();
    expected.WriteProperty("color", std::string("255"));
    expected.WriteProperty("url", main().Text8.get_text().raw());
    ASSERT_EQ(stored.size(), 36u);
    for (const auto& key : {"Caption", "Text", "Text1", "color", "back", "refresh", "picture", "picture1", "value",
                            "url", "custom1", "custom4", "custom12", "custom20", "custom21", "custom22", "custom23",
                            "custom24", "custom25", "custom26"})
        EXPECT_EQ(stored.ReadProperty(key), expected.ReadProperty(key)) << key;
    EXPECT_EQ(stored, expected);
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
