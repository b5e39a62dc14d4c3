// Loads that fail show a page that says so, in the real web view: a refused connection,
// a name that does not resolve, a host that cannot be reached, and a site whose
// certificate no one vouches for.
#include <gtest/gtest.h>

#include <functional>

#include "browserwindow/browser_window.h"
#include "browserwindow/error_page.h"
#include "tests/support/http_server.h"
#include "tests/support/page_script.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

class FailedLoads : public testing::Test {
protected:
    FailedLoads() {
        untrusted.serve("/account.html", "<html><head><title>Account</title></head><body>balance</body></html>");
        window.show();
    }
    // Does what the user does and waits until the view has settled on what it shows.
    void settle(const std::function<void()>& action) {
        window.StatusBar1.set_panel_text(1, "");
        action();
        ASSERT_TRUE(pump_until([&] { return !window.WebBrowser1.loading() && status() != "" && status().find("...") == std::string::npos; }));
    }
    void browse(const std::string& address) {
        settle([&] {
            window.Text1.set_text(address);
            window.Command1_Click();
        });
    }
    Glib::ustring status() { return window.StatusBar1.panel_text(1); }
    // The page's title comes a moment after its load is reported finished.
    bool shows(const std::string& title) {
        return pump_until([&] { return page_title(window.WebBrowser1.widget()) == title; });
    }

    HttpServer untrusted{HttpServer::Security::SelfSignedTls};
    BrowserWindow window;
};

// Each page names the address and what went wrong; Refresh tries again and fails again,
// so there is no way past a certificate that is not trusted.
TEST_F(FailedLoads, APageNamesTheAddressAndWhatWentWrong) {
    const struct {
        std::string address;
        const char* headline;
        const char* detail;  // part of the page's account of what went wrong
    } cases[] = {
        {"http://127.0.0.1:" + std::to_string(unused_port()) + "/page.html?a=1&b=2", "Connection refused", "refused"},
        {"http://kelvane-test.invalid/", "Address not found", "kelvane-test.invalid"},
        // The kernel refuses at once to connect to a multicast address: unreachable on any machine.
        {"http://224.0.0.1/", "Site not reachable", "unreachable"},
        {untrusted.url("/account.html"), "Site not trusted", "not issued by a trusted authority"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.headline);
        browse(c.address);
        EXPECT_EQ(status(), c.headline);
        ASSERT_TRUE(shows(c.headline));
        const std::string text = page_text(window.WebBrowser1.widget());
        EXPECT_NE(text.find(c.address), std::string::npos) << text;
        EXPECT_NE(text.find(c.detail), std::string::npos) << text;
        EXPECT_EQ(window.StatusBar1.panel_text(2), "") << "not secure";
        settle([&] { window.Command3_Click(); });
        EXPECT_EQ(status(), c.headline);
        EXPECT_TRUE(shows(c.headline));
    }
    EXPECT_EQ(untrusted.count("/account.html"), 0) << "nothing is sent to a site that is not trusted";
}

TEST_F(FailedLoads, RefreshTriesTheFailedAddressAgainAndBackLeavesIt) {
    HttpServer first;
    first.serve("/first.html", "<html><head><title>First</title></head><body>first</body></html>");
    browse(first.url("/first.html"));
    ASSERT_EQ(status(), "Done");
    const int port = unused_port();
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/late.html";
    browse(address);
    ASSERT_EQ(status(), "Connection refused");

    // The site comes up; Refresh loads the address that failed, not the failure page.
    HttpServer late(HttpServer::Security::Plain, port);
    late.serve("/late.html", "<html><head><title>Late</title></head><body>late</body></html>");
    settle([&] { window.Command3_Click(); });
    EXPECT_EQ(late.count("/late.html"), 1);
    EXPECT_TRUE(shows("Late"));
    EXPECT_EQ(window.WebBrowser1.uri(), address);

    // The page took the failure's place: Back goes to the page before.
    settle([&] { window.Command2_Click(); });
    EXPECT_TRUE(shows("First"));
}

TEST(FailurePageText, EscapesWhatComesFromOutside) {
    const std::string html =
        failure_page_html(PageFailure::Other, "http://x/?q=<script>alert(1)</script>&r='\"", "<img src=x onerror=y>");
    EXPECT_EQ(html.find("<script>alert"), std::string::npos);
    EXPECT_EQ(html.find("<img"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt;&amp;r=&#39;&quot;"), std::string::npos);
    EXPECT_NE(html.find("&lt;img src=x onerror=y&gt;"), std::string::npos);
}

}  // namespace
}  // namespace kelvane::test
