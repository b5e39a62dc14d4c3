// The full preview: the browser window configured from the maker's fields.
#include "browser/program_window.h"
#include "maker/dialogs/position_dialog.h"
#include "maker/dialogs/window_dialog.h"
#include "maker/mainwindow/main_window.h"
#include "maker/preview/preview_window.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/media_files.h"
#include "tests/support/pump.h"

#include <fstream>

namespace kelvane::test {
namespace {

class Preview : public MakerFixture {
protected:
    Preview() {
        main().show();
        main().Text5.set_text("255");
        main().Text4.set_text("about:blank");
        main().Text8.set_text("");
    }
    MainWindow& main() { return forms.Form1(); }
    WindowDialog& window_dialog() { return forms.Form3(); }
    PreviewWindow& open() {
        window_dialog().Command2.clicked();
        return forms.frmMain();
    }
    void close_preview() {
        forms.frmMain().close();
        drain();
    }
};

TEST_F(Preview, RefusesWithoutAColour) {
    main().Text5.set_text("Programs Color");
    window_dialog().Command2.clicked();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Please select a program color");
    EXPECT_EQ(messages[0].title, "Kelvane");
    EXPECT_FALSE(forms.loaded(FormId::frmMain));

    main().Text5.set_text("Ｐｒｏｇｒａｍｓ Ｃｏｌｏｒ");  // look-alike letters are another text
    window_dialog().Command2.clicked();
    EXPECT_TRUE(forms.loaded(FormId::frmMain));
}

TEST_F(Preview, StatusBarFollowsTheExactFlagWhateverTheSong) {
    main().Check1.set_active(true);
    PreviewWindow& preview = open();
    EXPECT_TRUE(preview.get_visible());
    EXPECT_TRUE(preview.WindowsMediaPlayer1.get_visible());
    EXPECT_TRUE(preview.StatusBar1.get_visible()) << "both show in the preview";

    for (const char* flag : {"true", "Ｔｒｕｅ"}) {
        window_dialog().Text6.set_text(flag);
        window_dialog().Command2.clicked();  // open already: only the status bar changes
        EXPECT_FALSE(preview.StatusBar1.get_visible()) << flag;
    }
    EXPECT_EQ(&forms.frmMain(), &preview);
}

TEST_F(Preview, TitleAndBorderFollowTheirFieldsWhileOpen) {
    PreviewWindow& preview = open();
    EXPECT_EQ(preview.get_title(), "Program Name");
    EXPECT_EQ(preview.border_style(), 1);
    main().Text2.set_text("Live title");
    EXPECT_EQ(preview.get_title(), "Live title");
    window_dialog().Text3.set_text("3");
    EXPECT_EQ(preview.border_style(), 3);
    EXPECT_EQ(preview.get_type_hint(), Gdk::WINDOW_TYPE_HINT_DIALOG);
    window_dialog().Text3.set_text("x");
    EXPECT_EQ(preview.border_style(), 3);
    preview.set_title("Changed by someone else");
    EXPECT_EQ(preview.get_title(), "Live title");

    forms.Form2().Text(8).set_text("2000");  // positions wait for the next opening
    EXPECT_EQ(preview.client().rect(preview.Command1)->left, 3840);

    close_preview();
    main().Text2.set_text("After closing");  // nothing follows a closed preview
    EXPECT_FALSE(forms.loaded(FormId::frmMain));
}

TEST_F(Preview, EachOpeningLoadsTheFieldsOfThatMoment) {
    forms.Form2().Text(8).set_text("2000");
    EXPECT_EQ(open().client().rect(open().Command1)->left, 2000);
    close_preview();
    forms.Form2().Text(8).set_text("3000");
    EXPECT_EQ(open().client().rect(forms.frmMain().Command1)->left, 3000);
    EXPECT_EQ(std::count(unloaded.begin(), unloaded.end(), FormId::frmMain), 1);
}

TEST_F(Preview, ClosingTheMakerClosesThePreview) {
    open();
    forms.Form2().close();
    drain();
    EXPECT_FALSE(forms.loaded(FormId::frmMain));
    EXPECT_EQ(std::count(unloaded.begin(), unloaded.end(), FormId::frmMain), 1);
    EXPECT_EQ(all_unloaded, 1);
}

// For the same fields, the preview and the program that Compile makes from them agree on
// everything the configuration sets, but for the status bar (which the preview shows
// also beside the player) and the preview's wider design.
TEST_F(Preview, AgreesWithTheCreatedProgram) {
    const auto write = [&](const std::string& name, const Picture& p) {
        std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char*>(p.bytes.data()),
                                                             static_cast<std::streamsize>(p.bytes.size()));
        return (folder / name).string();
    };
    files = {write("icon.png", png_picture(16, 16)), write("back.png", png_picture(40, 30))};
    main().Command5.clicked();
    main().Command8.clicked();
    main().Text2.set_text("Same");
    main().Text3.set_text("Go");
    main().Text6.set_text("Back");
    main().Text7.set_text("Again");
    main().Text5.set_text("65535");
    forms.Form2().Text(1).set_text("500");
    forms.Form2().Text(8).set_text("abc");  // fails in both
    forms.Form2().Text(17).set_text("4642.5");
    window_dialog().Text1.set_text("9000");
    window_dialog().Text2.set_text("5000");
    window_dialog().Text3.set_text("2");
    window_dialog().Text4.set_text("11");
    main().txtExeFile.set_text("same");
    main().Command2.clicked();
    PreviewWindow& preview = open();
    ProgramWindow created;
    created.Form_Load(folder / "same");

    for (BrowserWindow* w : {static_cast<BrowserWindow*>(&preview), static_cast<BrowserWindow*>(&created)}) {
        SCOPED_TRACE(w == &preview ? "preview" : "created program");
        EXPECT_EQ(w->get_title(), "Same");
        EXPECT_EQ(w->Command1.get_label(), "Go");
        EXPECT_EQ(w->Command2.get_label(), "Back");
        EXPECT_EQ(w->Command3.get_label(), "Again");
        EXPECT_EQ(w->Text1.get_text(), "about:blank");
        EXPECT_EQ(w->width(), 9000);
        EXPECT_EQ(w->height(), 5000);
        EXPECT_EQ(w->border_style(), 2);
        EXPECT_EQ(w->mouse_pointer(), 11);
        EXPECT_EQ(w->Check1, 0);
        EXPECT_EQ(w->WindowsMediaPlayer1.URL(), "");
        EXPECT_FALSE(w->WindowsMediaPlayer1.get_visible());
        EXPECT_TRUE(w->StatusBar1.get_visible());
        ASSERT_TRUE(w->get_icon());
        EXPECT_EQ(w->get_icon()->get_width(), 16);
        ASSERT_TRUE(w->Image1);
        EXPECT_EQ(w->Image1->get_width(), 40);
    }
    for (Control c : {Control::Text1, Control::Command1, Control::Command2, Control::Command3, Control::WebBrowser1})
        EXPECT_EQ(*preview.client().rect(preview.control(c)), *created.client().rect(created.control(c)));
    EXPECT_EQ(preview.client().rect(preview.Text1)->height, 500);
    EXPECT_EQ(preview.client().rect(preview.Command1)->left, 3840);
    EXPECT_EQ(preview.client().rect(preview.WebBrowser1.widget())->width, 4642.5f);
    EXPECT_EQ(preview.client().rect(preview.StatusBar1)->width, 8685);
    EXPECT_EQ(created.client().rect(created.StatusBar1)->width, 8670);
}

}  // namespace
}  // namespace kelvane::test
