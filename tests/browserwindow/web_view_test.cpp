// The browser window's web view for real, against servers on 127.0.0.1: browsing from
// the buttons, loads that fail, downloads, and what pages ask of the browser, answered
// through the platform layer as a user would.
#include <gtest/gtest.h>
#include <glibmm/regex.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <cstdlib>
#include <deque>
#include <fstream>
#include <functional>
#include <utility>

#include "browserwindow/browser_window.h"
#include "browserwindow/downloads.h"
#include "browserwindow/error_page.h"
#include "browserwindow/web_context.h"
#include "platform/common_dialog.h"
#include "platform/message_box.h"
#include "platform/question_box.h"
#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/page_script.h"
#include "tests/support/pump.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

bool contains(const Glib::ustring& text, const std::string& part) { return text.raw().find(part) != std::string::npos; }

TEST(WebViewAddress, WithoutSchemeOpensAsWebAddress) {
    const std::pair<const char*, const char*> cases[] = {
        {"example.com", "http://example.com"},   {"  localhost:8080/x ", "http://localhost:8080/x"},
        {"127.0.0.1:80", "http://127.0.0.1:80"}, {"https://example.com/", "https://example.com/"},
        {"about:blank", "about:blank"},          {"/tmp/page.html", "file:///tmp/page.html"},
        {"   ", ""}};
    for (auto [typed, uri] : cases) EXPECT_EQ(WebView::address_to_uri(typed), uri) << typed;
}

class Browsing : public testing::Test {
protected:
    Browsing() { window.show(); }
    // Does what the user does and waits until the view has settled on what it shows.
    void settle(const std::function<void()>& action) {
        window.StatusBar1.set_panel_text(1, "");
        action();
        ASSERT_TRUE(pump_until([&] { return !window.WebBrowser1.loading() && status() != "" && !contains(status(), "..."); }));
    }
    void browse(const std::string& address) {
        settle([&] {
            window.Text1.set_text(address);
            window.Command1_Click();
        });
    }
    Glib::ustring status() { return window.StatusBar1.panel_text(1); }
    // The page's title comes a moment after its load is reported finished.
    bool shows(const std::string& title) { return pump_until([&] { return page_title(window.WebBrowser1.widget()) == title; }); }
    // What the page asked for, once the main loop has run what it waited on.
    bool asked_for(const std::string& path, int times = 1) { return pump_until([&] { return server.count(path) >= times; }); }
    static std::string page(const std::string& title) {
        return "<html><head><title>" + title + "</title></head><body>" + title + "</body></html>";
    }

    HttpServer server;
    BrowserWindow window;
};

TEST_F(Browsing, BrowseBackAndRefreshReachTheServer) {
    window.Command2_Click();  // no earlier page
    window.Command3_Click();  // nothing loaded yet
    window.Text1.set_text("");
    window.Command1_Click();
    drain();
    EXPECT_EQ(window.WebBrowser1.uri(), "") << "nothing happens without history or address";

    server.serve("/one.html", page("One"));
    server.serve("/two.html", page("Two"));
    browse(server.url("/one.html"));
    EXPECT_EQ(server.count("/one.html"), 1);
    EXPECT_EQ(status(), "Done");
    EXPECT_EQ(window.StatusBar1.panel_text(2), "") << "a plain HTTP page is not secure";
    // A host name without a scheme; it is looked up ahead of the load as well.
    settle([&] { window.WebBrowser1.Navigate("localhost:" + std::to_string(server.port()) + "/two.html"); });
    EXPECT_TRUE(shows("Two"));
    EXPECT_EQ(window.Text1.get_text(), server.url("/one.html")) << "navigation never writes the address box";
    window.Command2_Click();
    EXPECT_TRUE(shows("One"));
    const int before = server.count("/one.html");  // back may take the page from the cache
    window.Command3_Click();
    EXPECT_TRUE(asked_for("/one.html", before + 1));
}

struct FailedLoad {
    const char* name;
    std::function<std::string(HttpServer& untrusted)> address;
    const char *headline, *detail;  // detail: part of the page's account of what went wrong
};

class FailurePage : public Browsing, public testing::WithParamInterface<FailedLoad> {};

// Each page names the address and what went wrong; Refresh tries again and fails again,
// so there is no way past a certificate that is not trusted.
TEST_P(FailurePage, NamesTheAddressAndWhatWentWrong) {
    HttpServer untrusted(HttpServer::Security::SelfSignedTls);
    untrusted.serve("/account.html", page("Account"));
    const std::string address = GetParam().address(untrusted);
    for (const auto& action : std::vector<std::function<void()>>{[&] { browse(address); },
                                                                 [&] { settle([&] { window.Command3_Click(); }); }}) {
        action();
        EXPECT_EQ(status(), GetParam().headline);
        ASSERT_TRUE(shows(GetParam().headline));
        const std::string text = page_text(window.WebBrowser1.widget());
        EXPECT_NE(text.find(address), std::string::npos) << text;
        EXPECT_NE(text.find(GetParam().detail), std::string::npos) << text;
        EXPECT_EQ(window.StatusBar1.panel_text(2), "") << "not secure";
    }
    EXPECT_EQ(untrusted.count("/account.html"), 0) << "nothing is sent to a site that is not trusted";
}

INSTANTIATE_TEST_SUITE_P(
    Loads, FailurePage,
    testing::Values(
        FailedLoad{"Refused",
                   [](HttpServer&) { return "http://127.0.0.1:" + std::to_string(unused_port()) + "/page.html?a=1&b=2"; },
                   "Connection refused", "refused"},
        FailedLoad{"NameNotFound", [](HttpServer&) { return std::string("http://kelvane-test.invalid/"); },
                   "Address not found", "kelvane-test.invalid"},
        // The kernel refuses at once to connect to a multicast address: unreachable on any machine.
        FailedLoad{"Unreachable", [](HttpServer&) { return std::string("http://224.0.0.1/"); }, "Site not reachable",
                   "unreachable"},
        FailedLoad{"UntrustedCertificate", [](HttpServer& untrusted) { return untrusted.url("/account.html"); },
                   "Site not trusted", "not issued by a trusted authority"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Browsing, RefreshTriesTheFailedAddressAgainAndBackLeavesIt) {
    server.serve("/first.html", page("First"));
    browse(server.url("/first.html"));
    const int port = unused_port();
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/late.html";
    browse(address);
    ASSERT_EQ(status(), "Connection refused");
    // The site comes up; Refresh loads the address that failed, not the failure page.
    HttpServer late(HttpServer::Security::Plain, port);
    late.serve("/late.html", page("Late"));
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

TEST(DownloadName, NeverTakesTheNameOfAFileThatIsThere) {
    TempDir folder;
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"report.zip", "report.zip", "report (1).zip"},
        {"data.tar.gz", "data.tar.gz", "data (1).tar.gz"},
        {"../../outside.txt", "outside.txt", "outside (1).txt"},  // no way out of the folder
        {".profile", ".profile", ".profile (1)"},
        {"", "download", "download (1)"},
    };
    for (const auto& [suggested, first, second] : cases) {
        EXPECT_EQ(reserve_download_file(folder.path(), suggested), folder / first);
        EXPECT_EQ(reserve_download_file(folder.path(), suggested), folder / second);
    }
    EXPECT_EQ(reserve_download_file(folder.path(), "report.zip"), folder / "report (2).zip");
    EXPECT_EQ(reserve_download_file(folder / "missing", "report.zip"), std::filesystem::path());
}

class Downloading : public Browsing {
protected:
    Downloading() {
        std::filesystem::remove_all(folder);  // made when missing
        window.WebBrowser1.signal_download().connect([this](const Glib::ustring& text, bool done) {
            said.push_back(text);
            finished = finished || done;
        });
    }
    void download(const std::string& body) {
        server.serve("/get", body, "application/zip", "Content-Disposition: attachment; filename=\"report.zip\"\r\n");
        finished = false;
        window.WebBrowser1.Navigate(server.url("/get"));
        ASSERT_TRUE(pump_until([&] { return finished; }));
    }

    // No download folder is configured in the test's home: not the home folder itself.
    const std::filesystem::path folder = std::filesystem::path(std::getenv("HOME")) / "Downloads";
    std::vector<Glib::ustring> said;
    bool finished = false;
};

TEST_F(Downloading, StatusBarShowsProgressThenWhereTheFileWent) {
    const std::string body(3 << 20, 'z');
    download(body);
    EXPECT_EQ(status(), "Downloaded report.zip to " + folder.string());
    ASSERT_GE(said.size(), 2u) << "no progress was shown";
    EXPECT_EQ(said.back(), status());
    for (std::size_t i = 0; i + 1 < said.size(); ++i)
        EXPECT_TRUE(Glib::Regex::match_simple("^Downloading report\\.zip\\.\\.\\. [0-9]{1,3}%$", said[i].raw())) << said[i];
    EXPECT_EQ(read_all(folder / "report.zip"), body);
}

// A folder that cannot be made, or a download stopped after its first bytes as a lost
// connection would stop it: the status bar says so, and no file is left behind.
TEST_F(Downloading, AFailedDownloadSaysSoAndLeavesNoFile) {
    std::ofstream(folder) << "a file where the folder should be";
    download("zip");
    EXPECT_TRUE(status().raw().starts_with("Download of report.zip failed")) << status();
    std::filesystem::remove(folder);

    g_signal_connect(web_context(), "download-started", G_CALLBACK(+[](WebKitWebContext*, WebKitDownload* d, void*) {
        g_signal_connect(d, "received-data", G_CALLBACK(+[](WebKitDownload* d, guint64, void*) {
            webkit_download_cancel(d);
        }), nullptr);
    }), nullptr);
    download(std::string(3 << 20, 'z'));
    EXPECT_TRUE(status().raw().starts_with("Download of report.zip failed")) << status();
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "the file was left behind";
}

// The next answer a test queued, as a person would give it; none left is a cancel.
template <typename T>
std::optional<T> next(std::deque<std::optional<T>>& answers, std::vector<Question>& asked, const Question& q) {
    asked.push_back(q);
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

class PageRequests : public Browsing {
protected:
    PageRequests() {
        set_message_handler([this](const Message& m) { messages.push_back(m); });
        set_question_answers({[this](const Question& q) { return next(confirms, asked, q).value_or(false); },
                              [this](const Question& q) { return next(inputs, asked, q); },
                              [this](const Question& q) { return next(logins, asked, q); }});
        set_dialog_answers({[this] { return std::exchange(file, std::nullopt); }, [] { return std::optional<std::int32_t>(); }});
    }
    ~PageRequests() override {
        set_message_handler({});
        set_question_answers({});
        set_dialog_answers({});
    }
    std::string origin() const { return "http://127.0.0.1:" + std::to_string(server.port()); }

    std::vector<Message> messages;
    std::vector<Question> asked;
    std::deque<std::optional<bool>> confirms;
    std::deque<std::optional<Glib::ustring>> inputs;
    std::deque<std::optional<Credentials>> logins;
    std::optional<std::string> file;  // the one file to choose
};

// The second confirm and prompt are cancelled.
TEST_F(PageRequests, ScriptDialogsAreShownAndAnswered) {
    server.serve("/dialogs.html", "<html><body><script>"
                                  "alert('Hello <b>there</b>');"
                                  "const answers = [confirm('Sure?'), confirm('Really?'), prompt('Your name?', 'Anne'),"
                                  "                 prompt('Again?', 'Bo')];"
                                  "fetch('/answers/' + answers.map(encodeURIComponent).join('/'));"
                                  "</script></body></html>");
    confirms = {true, false};
    inputs = {Glib::ustring("Bob Smith"), std::nullopt};
    window.WebBrowser1.Navigate(server.url("/dialogs.html"));
    EXPECT_TRUE(asked_for("/answers/true/false/Bob%20Smith/null"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Hello <b>there</b>");
    EXPECT_EQ(messages[0].title, origin());
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0].text, "Sure?");
    EXPECT_EQ(asked[0].title, origin());
    EXPECT_EQ(asked[2].text, "Your name?");
    EXPECT_EQ(asked[2].default_text, "Anne");
}

TEST_F(PageRequests, ALoginIsAskedForUntilTheSiteTakesItOrTheUserCancels) {
    server.require_login("/private.html", "anne", "secret", "Members only");
    server.serve("/private.html", page("Private"));
    window.WebBrowser1.Navigate(server.url("/private.html"));  // cancelled: the site's refusal shows
    ASSERT_TRUE(shows("Login refused"));
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(server.requests().back().user, "");

    logins = {Credentials{"anne", "wrong"}, Credentials{"anne", "secret"}};
    asked.clear();
    window.WebBrowser1.Navigate(server.url("/private.html"));
    ASSERT_TRUE(shows("Private"));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, origin());
    EXPECT_TRUE(contains(asked[0].text, origin() + " asks for a name and password.")) << asked[0].text;
    EXPECT_TRUE(contains(asked[0].text, "Members only")) << asked[0].text;
    EXPECT_FALSE(contains(asked[0].text, "not accepted"));
    EXPECT_TRUE(contains(asked[1].text, "not accepted")) << asked[1].text;
    EXPECT_EQ(server.requests().back().user, "anne");
}

TEST_F(PageRequests, FileInputOpensTheFileChooser) {
    TempDir folder;
    std::ofstream(folder / "upload.txt") << "12345";
    file = (folder / "upload.txt").string();
    server.serve("/upload.html",
                 "<html><head><title>Upload</title></head><body style='margin:0'><input type='file' "
                 "style='display:block;width:100vw;height:100vh' "
                 "onchange=\"fetch('/chosen/' + this.files[0].name + '/' + this.files[0].size)\"></body></html>");
    window.WebBrowser1.Navigate(server.url("/upload.html"));
    ASSERT_TRUE(shows("Upload"));
    ASSERT_TRUE(pump_until([&] { return window.get_mapped(); }));
    const auto x_window = find_window(getpid());
    ASSERT_TRUE(x_window);
    // A person's click: pages may open the chooser only from one. The view starts at
    // twips (120, 600), pixels (8, 40).
    ASSERT_TRUE(click(x_window->id, 100, 100));
    EXPECT_TRUE(asked_for("/chosen/upload.txt/5"));
}

TEST_F(PageRequests, LocationCameraMicrophoneAndNotificationsAreRefusedUnasked) {
    server.serve("/powerful.html",
                 "<html><body><script>"
                 "const report = (what, value) => fetch('/' + what + '/' + value);"
                 "navigator.geolocation.getCurrentPosition(() => report('location', 'given'), e => report('location', e.code));"
                 "(navigator.mediaDevices ? navigator.mediaDevices.getUserMedia({audio: true, video: true})"
                 "                        : Promise.reject({name: 'missing'}))"
                 "    .then(() => report('media', 'given'), e => report('media', e.name));"
                 "Notification.requestPermission().then(p => report('notifications', p));"
                 "navigator.permissions.query({name: 'geolocation'}).then(s => report('state', s.state));"
                 "</script></body></html>");
    // A camera and a microphone for the page to ask for: without any, it learns that there
    // are none before it asks.
    webkit_settings_set_enable_mock_capture_devices(
        webkit_web_view_get_settings(WEBKIT_WEB_VIEW(window.WebBrowser1.widget().gobj())), TRUE);
    window.WebBrowser1.Navigate(server.url("/powerful.html"));
    for (const char* path : {"/location/1", "/media/NotAllowedError", "/notifications/denied", "/state/denied"})
        EXPECT_TRUE(asked_for(path)) << path;
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(asked.empty());
}

}  // namespace
}  // namespace kelvane::test
