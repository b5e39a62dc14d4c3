// The maker's web views come back after their web process was killed, as a faulty page or
// the system would kill it: the full preview here, beside the main window's live preview,
// by Refresh and then by Browse.
#include <signal.h>
#include <unistd.h>

#include "maker/preview/preview_window.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/http_server.h"
#include "tests/support/page_script.h"
#include "tests/support/process.h"

namespace kelvane::test {
namespace {

class CrashedPage : public MakerFixture {};

TEST_F(CrashedPage, FullPreviewComesBack) {
    HttpServer server;
    server.serve("/page.html", "<html><head><title>Local page</title></head><body>local</body></html>");
    main().show();
    main().Text5.set_text("255");
    window_dialog().Command2.clicked();
    PreviewWindow& preview = forms.frmMain();
    const auto shows = [&](const std::string& title) {
        return pump_until([&] { return page_title(preview.WebBrowser1.widget()) == title && !preview.WebBrowser1.loading(); });
    };
    preview.Text1.set_text(server.url("/page.html"));
    preview.Command1_Click();
    ASSERT_TRUE(shows("Local page"));
    const std::function<void()> refresh_then_browse[] = {[&] { preview.Command3_Click(); }, [&] { preview.Command1_Click(); }};
    for (const auto& reload : refresh_then_browse) {
        // Only processes that are up are killed: the engine ends the whole program when one
        // dies while it is still being started, and the live preview may still be loading.
        ASSERT_TRUE(pump_until([&] { return !main().WebBrowser1.loading() && !preview.WebBrowser1.loading(); }));
        const auto web_processes = descendants(getpid(), "WebKitWebProces");
        ASSERT_FALSE(web_processes.empty());
        for (pid_t pid : web_processes) kill(pid, SIGKILL);
        ASSERT_TRUE(shows("Page stopped working"));
        const std::string text = page_text(preview.WebBrowser1.widget());
        EXPECT_NE(text.find(server.url("/page.html")), std::string::npos) << text;
        EXPECT_NE(text.find("Refresh"), std::string::npos) << text;
        const int asked = server.count("/page.html");
        reload();
        EXPECT_TRUE(pump_until([&] { return server.count("/page.html") == asked + 1; }));
        EXPECT_TRUE(shows("Local page"));
    }
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace kelvane::test
