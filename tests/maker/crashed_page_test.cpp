// The maker's two web views come back after their web process was killed: the live
// preview of the main window and the full preview.
#include <signal.h>
#include <unistd.h>

#include <functional>

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
        forms.Form1().show();
        forms.Form1().Text5.set_text("255");
    }
    bool shows(WebView& view, const std::string& title) {
        return pump_until([&] { return page_title(view.widget()) == title && !view.loading(); });
    }

    // Kills every web process of this test, as a faulty page or the system would, and
    // checks that Refresh and then Browse bring the page back.
    void recovers(WebView& view, Gtk::Entry& address, const std::function<void()>& refresh,
                  const std::function<void()>& browse) {
        address.set_text(server.url("/page.html"));
        browse();
        ASSERT_TRUE(shows(view, "Local page"));
        int asked = server.count("/page.html");
        for (const auto& reload : {refresh, browse}) {
            // Only processes that are up are killed: the engine ends the whole program when
            // one dies while it is still being started. The other view may still be loading
            // its own page stopped working.
            ASSERT_TRUE(pump_until([&] { return !forms.Form1().WebBrowser1.loading() && !view.loading(); }));
            const auto web_processes = descendants(getpid(), "WebKitWebProces");
            ASSERT_FALSE(web_processes.empty());
            for (pid_t pid : web_processes) kill(pid, SIGKILL);

            ASSERT_TRUE(shows(view, "Page stopped working"));
            const std::string text = page_text(view.widget());
            EXPECT_NE(text.find(server.url("/page.html")), std::string::npos) << text;
            EXPECT_NE(text.find("Refresh"), std::string::npos) << text;
            EXPECT_TRUE(messages.empty());
            reload();
            ++asked;
            EXPECT_TRUE(pump_until([&] { return server.count("/page.html") == asked; }));
            EXPECT_TRUE(shows(view, "Local page"));
        }
    }

    HttpServer server;
};

TEST_F(CrashedPage, LivePreviewComesBack) {
    MainWindow& main = forms.Form1();
    recovers(main.WebBrowser1, main.Text1, [&] { main.Command4_Click(); }, [&] { main.Command1_Click(); });
}

TEST_F(CrashedPage, FullPreviewComesBack) {
    forms.Form3().Command2.clicked();
    PreviewWindow& preview = forms.frmMain();
    ASSERT_TRUE(preview.get_visible());
    recovers(preview.WebBrowser1, preview.Text1, [&] { preview.Command3_Click(); }, [&] { preview.Command1_Click(); });
}

}  // namespace
}  // namespace kelvane::test
