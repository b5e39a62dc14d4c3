// Loads that fail show a page that says so, in the real web view: a refused connection,
// a name that does not resolve, a host that cannot be reached, a site whose certificate
// no one vouches for, a secure connection that could not be made, a port that browsers
// refuse and an address that nothing here opens.
#include <gtest/gtest.h>

#include <functional>

#include "browserwindow/browser_window.h"
#include "browserwindow/error_page.h"
#include "tests/support/http_server.h"
#include "tests/support/page_script.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

struct FailedLoad {
    const char* name;
    std::function<std::string()> address;
    const char* headline;
    const char* detail;  // part of the page's account of what went wrong
};

void PrintTo(const FailedLoad& load, std::ostream* out) { *out << load.name; }

class FailedLoads : public testing::Test {
protected:
    FailedLoads() { window.show(); }

    // Does what the user does and waits until the view has settled on what it shows.
    void settle(const std::function<void()>& action) {
        window.StatusBar1.set_panel_text(1, "");
        action();
        ASSERT_TRUE(pump_until([&] { return !window.WebBrowser1.loading() && status() != "" && status().find("...") == std::string::npos; },
                               std::chrono::seconds(60)));
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
        return pump_until([&] { return page_title(view()) == title; }, std::chrono::seconds(20));
    }
    Gtk::Widget& view() { return window.WebBrowser1.widget(); }

    BrowserWindow window;
};

class FailurePage : public FailedLoads, public testing::WithParamInterface<FailedLoad> {};

HttpServer& untrusted_site() {
    static HttpServer server(HttpServer::Security::SelfSignedTls);
    server.serve("/account.html", "<html><head><title>Account</title></head><body>balance</body></html>");
    return server;
}

TEST_P(FailurePage, NamesTheAddressAndWhatWentWrong) {
    const std::string address = GetParam().address();
    browse(address);
    EXPECT_EQ(status(), GetParam().headline);
    ASSERT_TRUE(shows(GetParam().headline));
    const std::string text = page_text(view());
    EXPECT_NE(text.find(address), std::string::npos) << text;
    EXPECT_NE(text.find(GetParam().detail), std::string::npos) << text;
    EXPECT_FALSE(window.WebBrowser1.secure());
    EXPECT_EQ(window.StatusBar1.panel_text(2), "");
}

INSTANTIATE_TEST_SUITE_P(
    Loads, FailurePage,
    testing::Values(
        FailedLoad{"Refused", [] { return "http://127.0.0.1:" + std::to_string(unused_port()) + "/page.html?a=1&b=2"; },
                   "Connection refused", "refused"},
        FailedLoad{"NameNotFound", [] { return std::string("http://kelvane-test.invalid/"); }, "Address not found",
                   "kelvane-test.invalid"},
        // The kernel refuses at once to connect to a multicast address: unreachable on any machine.
        FailedLoad{"Unreachable", [] { return std::string("http://224.0.0.1/"); }, "Site not reachable", "unreachable"},
        FailedLoad{"UntrustedCertificate", [] { return untrusted_site().url("/account.html"); }, "Site not trusted",
                   "not issued by a trusted authority"},
        FailedLoad{"HttpsToAPlainServer",
                   [] {
                       static HttpServer plain;
                       return "https://127.0.0.1:" + std::to_string(plain.port()) + "/";
                   },
                   "Secure connection failed", "may not offer secure (https) pages"},
        FailedLoad{"PortBrowsersRefuse", [] { return std::string("http://127.0.0.1:6000/"); }, "Port not allowed",
                   "Browsers do not connect to the port"},
        FailedLoad{"SchemeNothingOpens", [] { return std::string("view-source:http://127.0.0.1:9/"); },
                   "Address not supported", "cannot show addresses of this kind"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FailedLoads, CertificateErrorNeverShowsThePage) {
    HttpServer site(HttpServer::Security::SelfSignedTls);
    site.serve("/account.html", "<html><head><title>Account</title></head><body>balance</body></html>");
    browse(site.url("/account.html"));
    EXPECT_EQ(status(), "Site not trusted");
    EXPECT_EQ(site.count("/account.html"), 0) << "nothing is sent to a site that is not trusted";
    EXPECT_FALSE(window.WebBrowser1.secure());

    // Refresh asks again, and is refused again: there is no way past the certificate.
    settle([&] { window.Command3_Click(); });
    EXPECT_EQ(status(), "Site not trusted");
    EXPECT_EQ(site.count("/account.html"), 0);
    EXPECT_TRUE(shows("Site not trusted"));
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
    EXPECT_EQ(status(), "Done");
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

TEST(FailurePageText, CertificateProblemsInWords) {
    EXPECT_EQ(certificate_problems(G_TLS_CERTIFICATE_UNKNOWN_CA),
              "The site's certificate is not valid: it was not issued by a trusted authority.");
    EXPECT_EQ(certificate_problems(G_TLS_CERTIFICATE_BAD_IDENTITY | G_TLS_CERTIFICATE_EXPIRED),
              "The site's certificate is not valid: it belongs to another site; it has expired.");
    EXPECT_EQ(certificate_problems(G_TLS_CERTIFICATE_GENERIC_ERROR), "The site's certificate is not valid: it could not be checked.");
}

}  // namespace
}  // namespace kelvane::test
