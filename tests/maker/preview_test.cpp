// The full preview: the browser window configured from the maker's fields when it opens,
// its title, border and status bar following their fields while it is open; its page comes
// back after its web process was killed, as a faulty page or the system would kill it.
#include <signal.h>
#include <unistd.h>

#include "maker/preview/preview_window.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/http_server.h"
#include "tests/support/page_script.h"
#include "tests/support/process.h"

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
// exact flag "True" alone. Killed, the page comes back by Refresh, then by Browse.
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
    PreviewWindow& reopened = open();
    EXPECT_EQ(reopened.client().rect(reopened.Command1)->left, 2000);
    EXPECT_EQ(reopened.get_title(), "After closing");
    EXPECT_EQ(std::count(unloaded.begin(), unloaded.end(), FormId::frmMain), 1);

    HttpServer server;
    server.serve("/page.html", "<html><head><title>Local page</title></head><body>local</body></html>");
    const auto shows = [&](const std::string& title) {
        return pump_until([&] { return page_title(reopened.WebBrowser1.widget()) == title && !reopened.WebBrowser1.loading(); });
    };
    reopened.Text1.set_text(server.url("/page.html"));
    reopened.Command1_Click();
    ASSERT_TRUE(shows("Local page"));
    const std::function<void()> refresh_then_browse[] = {[&] { reopened.Command3_Click(); }, [&] { reopened.Command1_Click(); }};
    for (const auto& reload : refresh_then_browse) {
        // Only processes that are up are killed: the engine ends the whole program when one
        // dies while it is still being started, and the live preview may still be loading.
        ASSERT_TRUE(pump_until([&] { return !main().WebBrowser1.loading() && !reopened.WebBrowser1.loading(); }));
        const auto web_processes = descendants(getpid(), "WebKitWebProces");
        ASSERT_FALSE(web_processes.empty());
        for (pid_t pid : web_processes) kill(pid, SIGKILL);
        ASSERT_TRUE(shows("Page stopped working"));
        const std::string text = page_text(reopened.WebBrowser1.widget());
        EXPECT_NE(text.find(server.url("/page.html")), std::string::npos) << text;
        EXPECT_NE(text.find("Refresh"), std::string::npos) << text;
        const int asked = server.count("/page.html");
        reload();
        EXPECT_TRUE(pump_until([&] { return server.count("/page.html") == asked + 1; }));
        EXPECT_TRUE(shows("Local page"));
    }
    EXPECT_EQ(messages.size(), 1u) << "only that the colour was not chosen";
}

}  // namespace
}  // namespace kelvane::test
