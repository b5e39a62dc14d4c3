// The maker's windows, driven as a user drives them.
#include <gtest/gtest.h>

#include "common/program_trailer.h"
#include "maker/compiler/compiler.h"
#include "maker/dialogs/position_dialog.h"
#include "maker/dialogs/start_menu.h"
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

// The label standing in the 360 twips above a field's top.
const Gtk::Label* label_above(Placement& page, float top) {
    for (Gtk::Widget* child : page.get_children()) {
        auto rect = page.rect(*child);
        if (auto* label = dynamic_cast<Gtk::Label*>(child); label && rect->top == top - 360 && rect->top + rect->height <= top)
            return label;
    }
    return nullptr;
}

struct FieldCase {
    int n;  // the field Text n
    const char* label;
    const char* text;
};

TEST_F(Maker, DialogFieldsStandInOrderUnderTheirLabels) {
    const FieldCase positions_table[] = {
        {4, "Main url textbox Width", "3735"}, {1, "Main url textbox Height", "375"},
        {2, "Main url textbox position top", "120"}, {3, "Main url textbox position left", "120"},
        {5, "Browse Button Width", "1695"}, {6, "Browse Button Height", "375"}, {7, "Browse Button top", "120"},
        {8, "Browse Button Left", "3840"}, {9, "Back Button Width", "1695"}, {10, "Back Button Height", "375"},
        {11, "Back Button top", "120"}, {12, "Back Button Left", "5520"}, {13, "Refresh Button Width", "1455"},
        {14, "Refresh Button Height", "375"}, {15, "Refresh Button top", "120"}, {16, "Refresh Button Left", "7200"},
        {17, "Webrowser Width", "8535"}, {18, "Webrowser Height", "4455"}, {19, "Webrowser top", "600"},
        {20, "Webrowser Left", "120"}};
    const FieldCase window_table[] = {{2, "Your programs Height", "6180"}, {1, "Your programs Width", "8775"},
                                      {3, "Your programs Border", "1"},    {4, "Your programs Mouse ", "0"},
                                      {5, "Window state", "0"},            {6, "Show browser Adress bar", "True"}};
    auto check = [](Placement& page, Gtk::Entry& field, int k, const FieldCase& c, float width) {
        const float top = 480 + 840 * static_cast<float>(k);
        EXPECT_EQ(field.get_text(), c.text) << c.label;
        EXPECT_EQ(page.rect(field), (TwipsRect{120, top, width, 375})) << c.label;
        const Gtk::Label* label = label_above(page, top);
        ASSERT_TRUE(label) << c.label;
        EXPECT_EQ(label->get_text(), c.label);
    };
    for (int k = 0; k < 20; ++k)
        check(k < 10 ? positions().client() : positions().Frame1.area(), positions().Text(positions_table[k].n), k % 10,
              positions_table[k], k == 0 ? 1695 : 1815);
    Gtk::Entry* window_fields[] = {&window().Text1, &window().Text2, &window().Text3,
                                   &window().Text4, &window().Text5, &window().Text6};
    for (int k = 0; k < 6; ++k)
        check(window().client(), *window_fields[window_table[k].n - 1], k, window_table[k], 1815);
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

TEST_F(Maker, EveryCaptionAndLabelReadsWhole) {
    main().Frame3.show();
    positions().Command1.clicked();  // page 2
    forms.frmSplash().show();
    forms.frmSplash().Label2_Click();  // the options page
    Gtk::Window* windows[] = {&main(), &positions(), &window(), &forms.frmSplash()};
    for (Gtk::Window* w : windows) {
        ASSERT_TRUE(show_and_wait_drawn(*w));
        expect_readable(*w);
    }
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

INSTANTIATE_TEST_SUITE_P(Windows, ClosingRule, testing::Values(FormId::Form1, FormId::Form2, FormId::Form3),
                         [](const auto& info) { return "Form" + std::to_string(static_cast<int>(info.param) + 1); });

// Each window's unload handler unloads the others in its own order, and the window dialog
// goes itself before the full preview; handlers already running are not run again.
TEST_F(Maker, ClosingWithThePreviewOpenUnloadsInTheHandlersOrder) {
    using enum FormId;
    const std::pair<FormId, std::vector<FormId>> cases[] = {
        {Form1, {Form3, frmMain, Form2, Form1}},
        {Form2, {Form3, frmMain, Form1, Form2}},
        {Form3, {frmMain, Form2, Form1, Form3}},
    };
    for (const auto& [closed, order] : cases) {
        Forms maker(folder.path());
        std::vector<FormId> unloads;
        maker.signal_unloaded().connect([&](FormId id) { unloads.push_back(id); });
        maker.Form1().Text5.set_text("255");
        maker.frmMain();
        maker.Unload(closed);
        EXPECT_EQ(unloads, order) << static_cast<int>(closed);
    }
}

TEST_F(Maker, CompileRefusesTheUnchosenColour) {
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
