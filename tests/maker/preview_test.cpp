// The full preview: the browser window configured from the maker's fields when it opens,
// its title, border and status bar following their fields while it is open.
#include "maker/preview/preview_window.h"
#include "tests/maker/maker_fixture.h"

namespace kelvane::test {
namespace {

class Preview : public MakerFixture {
protected:
    Preview() {
        main().show();
        main().Text4.set_text("about:blank");
        main().Text8.set_text("");
    }
    PreviewWindow& open() {
        window_dialog().Command2.clicked();
        return forms.frmMain();
    }
};

// Only the unchosen colour's exact words keep it closed. Open, its title keeps to its field
// whoever changes it; positions, and the rest, wait for the next opening, which loads the
// fields of that moment. A click while it is open sets only the status bar, shown for the
// exact flag "True" alone.
TEST_F(Preview, OpensWithAColourAndFollowsTitleBorderAndStatusFlagWhileOpen) {
    window_dialog().Command2.clicked();
    EXPECT_EQ(messages, std::vector<std::string>{"Kelvane | 0 | Please select a program color"});
    EXPECT_FALSE(forms.loaded(FormId::frmMain));
    main().Text5.set_text("Ｐｒｏｇｒａｍｓ Ｃｏｌｏｒ");  // look-alike letters are another text
    PreviewWindow& preview = open();
    EXPECT_EQ(preview.get_title(), "Program Name");
    main().Text2.set_text("Live title");
    EXPECT_EQ(preview.get_title(), "Live title");
    window_dialog().Text3.set_text("3");
    EXPECT_EQ(preview.get_type_hint(), Gdk::WINDOW_TYPE_HINT_DIALOG);
    window_dialog().Text3.set_text("x");
    preview.set_title("Changed by someone else");
    EXPECT_EQ(preview.border_style(), 3);
    EXPECT_EQ(preview.get_title(), "Live title");
    positions().Text(8).set_text("2000");
    for (const char* flag : {"true", "Ｔｒｕｅ", "True"}) {
        window_dialog().Text6.set_text(flag);
        EXPECT_EQ(&open(), &preview);
        EXPECT_EQ(preview.StatusBar1.get_visible(), flag == std::string("True")) << flag;
    }
    EXPECT_EQ(preview.client().rect(preview.Command1)->left, 3840);

    preview.close();
    drain();
    EXPECT_FALSE(forms.loaded(FormId::frmMain));
    main().Text2.set_text("After closing");  // nothing follows a closed preview
    EXPECT_EQ(open().client().rect(forms.frmMain().Command1)->left, 2000);
    EXPECT_EQ(forms.frmMain().get_title(), "After closing");
    EXPECT_EQ(std::count(unloaded.begin(), unloaded.end(), FormId::frmMain), 1);
}

}  // namespace
}  // namespace kelvane::test
