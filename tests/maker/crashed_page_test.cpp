// The maker's two web views come back after their web process was killed: the live preview
// of the main window and the full preview, by Refresh and by Browse.
#include <signal.h>
#include <unistd.h>

#include "maker/preview/preview_window.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/http_server.h"
#include "tests/support/page_script.h"
#include "tests/support/process.h"

namespace kelvane::test {
namespace {

class CrashedPage : public MakerFixture {
protected:
    CrashedPage() {
        server.serve("/page.html", "<html><head><title>Local page</title></head><body>local</body></html>");
        main().show();
        main().Text5.set_text("255");
    }

    // Kills every web process of this test, as a faulty page or the system would, and checks
    // that Refresh and then Browse bring the page back.
    void recovers(WebView& view, Gtk::Entry& address, const std::function<void()>& refresh,
                  const std::function<void()>& browse) {
        const auto shows = [&](const std::string& title) {
            return pump_until([&] { return page_title(view.widget()) == title && !view.loading(); });
        };
        address.set_text(server.url("/page.html"));
        browse();
        ASSERT_TRUE(shows("Local page"));
        for (const auto& reload : {refresh, browse}) {
            // Only processes that are up are killed: the engine ends the whole program when one
            // dies while it is still being started, and the live preview may still be loading.
            ASSERT_TRUE(pump_until([&] { return !main().WebBrowser1.loading() && !view.loading(); }));
            const auto web_processes = descendants(getpid(), "WebKitWebProces");
            ASSERT_FALSE(web_processes.empty());
            for (pid_t pid : web_processes) kill(pid, SIGKILL);
            ASSERT_TRUE(shows("Page stopped working"));
            const std::string text = page_text(view.widget());
            EXPECT_NE(text.find(server.url("/page.html")), std::string::npos) << text;
            EXPECT_NE(text.find("Refresh"), std::string::npos) << text;
            const int asked = server.count("/page.html");
            reload();
            EXPECT_TRUE(pump_until([&] { return server.count("/page.html") == asked + 1; }));
            EXPECT_TRUE(shows("Local page"));
        }
        EXPECT_TRUE(messages.empty());
    }

    HttpServer server;
};

TEST_F(CrashedPage, LivePreviewComesBack) {
    recovers(main().WebBrowser1, main().Text1, [&] { main().Command4_Click(); }, [&] { main().Command1_Click(); });
}

TEST_F(CrashedPage, FullPreviewComesBack) {
    window_dialog().Command2.clicked();
    PreviewWindow& preview = forms.frmMain();
    ASSERT_TRUE(preview.get_visible());
    recovers(preview.WebBrowser1, preview.Text1, [&] { preview.Command3_Click(); }, [&] { preview.Command1_Click(); });
}

}  // namespace
}  // namespace kelvane::test
