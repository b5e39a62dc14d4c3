// The browser window's web view for real, against servers on 127.0.0.1: browsing from
// the buttons, loads that fail, downloads, and what pages ask of the browser, answered
// through the platform layer as a user would, with the user's clicks made through the X
// server; and that a page stays inside its view while it asks.
#include <gtest/gtest.h>
#include <glibmm/regex.h>
#include <gtkmm/dialog.h>
#include <signal.h>
#include <webkit2/webkit2.h>

#include <deque>
#include <fstream>
#include <functional>

#include "browserwindow/browser_window.h"
#include "browserwindow/downloads.h"
#include "browserwindow/error_page.h"
#include "platform/common_dialog.h"
#include "platform/message_box.h"
#include "platform/page_dialog.h"
#include "platform/question_box.h"
#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/page_script.h"
#include "tests/support/process.h"
#include "tests/support/pump.h"
#include "tests/support/trusted_certificate.h"
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

// The next answer a test queued, as a person would give it.
template <typename T>
std::optional<T> next(std::deque<T>& answers) {
    if (answers.empty()) return std::nullopt;
    T answer = answers.front();
    answers.pop_front();
    return answer;
}

// A browser window shown, and a person who answers what it asks: a login queued in
// `logins` (none left: a cancel), the file in `file`, and "yes" to a question that names
// something ":yes", "no" to any other.
class Browsing : public testing::Test {
protected:
    Browsing() {
        window.show();
        window.WebBrowser1.signal_download().connect([this](const Glib::ustring& text, bool done) { said.push_back(text), finished |= done; });
        set_message_handler([this](const Message& m) { messages.push_back(m); });
        set_question_answers({{}, {}, [this](const Question& q) { return asked.push_back(q), next(logins); },
                              [this](const Question& q) { return asked.push_back(q), contains(q.text, ":yes"); }});
        set_dialog_answers({[this] { return std::exchange(file, std::nullopt); }, [] { return std::optional<std::int32_t>(); }});
    }
    ~Browsing() override { set_message_handler({}), set_page_dialog_answers({}), set_question_answers({}), set_dialog_answers({}); }
    // Does what the user does and waits until the view has settled on what it shows.
    void settle(const std::function<void()>& action) {
        window.StatusBar1.set_panel_text(1, "");
        action();
        ASSERT_TRUE(pump_until([&] { return !window.WebBrowser1.loading() && status() != "" && !contains(status(), "..."); }));
    }
    void browse(const std::string& address) { settle([&] { window.Text1.set_text(address), window.Command1_Click(); }); }
    Glib::ustring status() { return window.StatusBar1.panel_text(1); }
    // The page's title comes a moment after its load is reported finished.
    bool shows(const std::string& title) { return pump_until([&] { return page_title(window.WebBrowser1.widget()) == title; }); }
    // What the page asked for, once the main loop has run what it waited on.
    bool asked_for(const std::string& path, int times = 1) { return pump_until([&] { return server.count(path) >= times; }); }
    static std::string page(const std::string& title) { return "<html><head><title>" + title + "</title></head><body>" + title + "</body></html>"; }
    std::string origin() const { return "http://127.0.0.1:" + std::to_string(server.port()); }
    void serve_page(const std::string& body) {
        server.serve("/page.html", body);
        window.WebBrowser1.Navigate(server.url("/page.html"));
        ASSERT_TRUE(pump_until([&] { return !window.WebBrowser1.loading() && window.WebBrowser1.uri() == server.url("/page.html"); }));
    }
    // A click of the user's into the window, through the X server. The view takes pixels
    // (8, 40) to (577, 337).
    void click_at(int x, int y) {
        ASSERT_TRUE(pump_until([&] { return window.get_mapped(); }));
        drain();  // the X server has mapped it
        ASSERT_TRUE(find_window(getpid()) && click(find_window(getpid())->id, x, y));
    }
    // A click into the page, and what the page reports when it is done with it. A window
    // the page opened stays clear of this point.
    void click_page(const std::string& reported, int times = 1) {
        click_at(450, 300);
        ASSERT_TRUE(pump_until([&] { return server.count(reported) == times; }));
        drain();  // and what the page asked of this process before it reported
    }
    int said_starting(const std::string& start) const {
        return std::count_if(said.begin(), said.end(), [&](const Glib::ustring& text) { return text.raw().starts_with(start); });
    }
    long saved() const { return std::distance(std::filesystem::directory_iterator(downloads), {}); }

    HttpServer server;
    BrowserWindow window;
    std::vector<Glib::ustring> said;  // about downloads
    bool finished = false;            // a download ended
    std::vector<Message> messages;
    std::vector<Question> asked;
    std::deque<Credentials> logins;
    std::optional<std::string> file;
    // No download folder is configured in the test's home: not the home folder itself.
    const std::filesystem::path downloads = std::filesystem::path(std::getenv("HOME")) / "Downloads";
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

TEST(SecureWebsite, OnlyWhileThePageAndAllItLoadedCameOverVerifiedHttps) {
    HttpServer site(HttpServer::Security::SelfSignedTls), plain;
    if (!trust_certificate_of(site.port())) GTEST_SKIP() << "only root can make the test's certificate one that verifies";
    site.serve("/secure.html", "<html><body>all over HTTPS</body></html>");
    site.serve("/mixed.html", "<html><body><img src='" + plain.url("/image.png") + "'></body></html>");
    plain.serve("/image.png", "x", "image/png");
    BrowserWindow window;  // its engine started after the certificate was made trusted
    window.show();
    for (const auto& [path, shown] : {std::pair("/secure.html", "Secure Website "), std::pair("/mixed.html", "")}) {
        window.WebBrowser1.Navigate(site.url(path));
        ASSERT_TRUE(pump_until([&] { return window.WebBrowser1.uri() == site.url(path) && !window.WebBrowser1.loading(); }));
        EXPECT_EQ(window.StatusBar1.panel_text(2), shown) << path;
    }
    EXPECT_EQ(plain.count("/image.png"), 1);
}

// In an address, REFUSED stands for a port nothing listens on, PLAIN for a plain HTTP
// server's and UNTRUSTED for one whose certificate nobody trusts.
struct FailedLoad {
    const char *name, *address, *headline, *detail;  // detail: part of the page's account of what went wrong
};

class FailurePage : public Browsing, public testing::WithParamInterface<FailedLoad> {};

// Each page names the address and what went wrong. Refresh tries a web address again and
// fails again, so there is no way past a certificate that is not trusted; of an address
// nothing here opens, the page that says so simply stays.
TEST_P(FailurePage, NamesTheAddressAndWhatWentWrong) {
    HttpServer untrusted(HttpServer::Security::SelfSignedTls);
    untrusted.serve("/account.html", page("Account"));
    std::string address = GetParam().address;
    for (auto [token, port] : {std::pair<std::string, int>("REFUSED", unused_port()), {"PLAIN", server.port()}, {"UNTRUSTED", untrusted.port()}})
        if (const auto at = address.find(token); at != std::string::npos) address.replace(at, token.size(), std::to_string(port));
    for (int attempt = 1; attempt <= (address.starts_with("http") ? 2 : 1); ++attempt) {
        if (attempt == 1) browse(address);
        else settle([&] { window.Command3_Click(); });
        EXPECT_EQ(status(), GetParam().headline);
        ASSERT_TRUE(shows(GetParam().headline));
        const std::string text = page_text(window.WebBrowser1.widget());
        EXPECT_TRUE(contains(text, address) && contains(text, GetParam().detail)) << text;
        EXPECT_EQ(window.StatusBar1.panel_text(2), "") << "not secure";
    }
    EXPECT_EQ(untrusted.count("/account.html"), 0) << "nothing is sent to a site that is not trusted";
}

INSTANTIATE_TEST_SUITE_P(
    Loads, FailurePage,
    testing::Values(
        FailedLoad{"Refused", "http://127.0.0.1:REFUSED/page.html?a=1&b=2", "Connection refused", "refused"},
        FailedLoad{"NameNotFound", "http://kelvane-test.invalid/", "Address not found", "kelvane-test.invalid"},
        // The kernel refuses at once to connect to a multicast address: unreachable on any machine.
        FailedLoad{"Unreachable", "http://224.0.0.1/", "Site not reachable", "unreachable"},
        FailedLoad{"UntrustedCertificate", "https://127.0.0.1:UNTRUSTED/account.html", "Site not trusted",
                   "not issued by a trusted authority"},
        FailedLoad{"HttpsToAPlainServer", "https://127.0.0.1:PLAIN/", "Secure connection failed",
                   "may not offer secure (https) pages"},
        FailedLoad{"PortBrowsersRefuse", "http://127.0.0.1:6000/", "Port not allowed", "Browsers do not connect to the port"},
        FailedLoad{"SchemeNothingOpens", "view-source:http://127.0.0.1:9/", "Address not supported",
                   "cannot show addresses of this kind"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FailurePageText, EscapesWhatComesFromOutside) {
    const std::string html = failure_page_html(PageFailure::Other, "http://x/?q=<script>alert(1)</script>&r='\"", "<img src=x onerror=y>");
    EXPECT_EQ(html.find("<script>alert"), std::string::npos);
    EXPECT_EQ(html.find("<img"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt;&amp;r=&#39;&quot;"), std::string::npos);
    EXPECT_NE(html.find("&lt;img src=x onerror=y&gt;"), std::string::npos);
}

// Never the name of a file that is there, never outside the folder, and a name too long
// for a file (and the engine's ".wkdownload" beside it) cut between two characters,
// keeping its extension.
TEST(DownloadName, NeverTakesTheNameOfAFileThatIsThere) {
    TempDir folder;
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"report.zip", "report.zip", "report (1).zip"},
        {"data.tar.gz", "data.tar.gz", "data (1).tar.gz"},
        {"../../outside.txt", "outside.txt", "outside (1).txt"},
        {".profile", ".profile", ".profile (1)"},
        {"", "download", "download (1)"},
    };
    for (const auto& [suggested, first, second] : cases) {
        EXPECT_EQ(reserve_download_file(folder.path(), suggested), folder / first);
        EXPECT_EQ(reserve_download_file(folder.path(), suggested), folder / second);
    }
    EXPECT_EQ(reserve_download_file(folder.path(), "report.zip"), folder / "report (2).zip");
    EXPECT_EQ(reserve_download_file(folder / "missing", "report.zip"), std::filesystem::path());
    std::string name;
    for (int i = 0; i < 100; ++i) name += "\u00e9t\u00e9";  // 500 bytes
    const std::string file = reserve_download_file(folder.path(), name + ".pdf").filename();
    EXPECT_TRUE(file.ends_with(".pdf") && name.starts_with(file.substr(0, file.size() - 4))) << file;
    EXPECT_TRUE(g_utf8_validate(file.c_str(), -1, nullptr) && file.size() + 11 <= 255) << file;
}

class Downloading : public Browsing {};

// A folder that cannot be made, or a download whose network process ends as a lost
// connection would end it: the status bar says so, and no file is left behind.
TEST_F(Downloading, AFailedDownloadSaysSoAndLeavesNoFile) {
    std::ofstream(downloads) << "a file where the folder should be";
    server.serve("/get", "zip", "application/zip", "Content-Disposition: attachment; filename=\"report.zip\"\r\n");
    window.WebBrowser1.Navigate(server.url("/get"));
    ASSERT_TRUE(pump_until([&] { return finished; }));
    EXPECT_TRUE(status().raw().starts_with("Download of report.zip failed")) << status();
    std::filesystem::remove(downloads);
    finished = false;
    server.stall("/stalled.zip", std::string(100000, 'z'), "Content-Length: 100000000\r\nContent-Disposition: attachment; filename=stalled.zip\r\n");
    window.WebBrowser1.Navigate(server.url("/stalled.zip"));
    ASSERT_TRUE(pump_until([&] { return said_starting("Downloading stalled.zip") > 0; }));
    EXPECT_TRUE(Glib::Regex::match_simple("^Downloading stalled\\.zip\\.\\.\\. [0-9]{1,2}%$", said.back().raw())) << said.back();
    const auto network = descendants(getpid(), "WebKitNetworkPr");
    for (pid_t pid : network) kill(pid, SIGKILL);
    ASSERT_TRUE(pump_until([&] { return finished; })) << network.size() << " network processes; " << said.back();
    EXPECT_TRUE(said.back().raw().starts_with("Download of stalled.zip failed")) << said.back();
    EXPECT_EQ(saved(), 0) << "the file was left behind";
}

TEST_F(Downloading, APageSavesOneFileByItselfAndMoreOnlyWithTheUsersConsent) {
    const std::string other_site = "http://localhost:" + std::to_string(server.port());
    for (const char* name : {"other.zip", "clicked.zip", "one.zip", "two.zip", "three.zip"})
        server.serve(std::string("/") + name, name, "application/zip", "Content-Disposition: attachment\r\n");
    // A frame of another site saves nothing by itself; a click saves what it asks for.
    server.serve("/other-site.html", "<html><body style='margin:0'><iframe src='" + other_site + "/other.zip'></iframe>"
                                     "<a href='/clicked.zip' style='display:block;height:100vh'>x</a></body></html>");
    window.WebBrowser1.Navigate(server.url("/other-site.html"));
    ASSERT_TRUE(pump_until([&] { return server.count("/other.zip") == 1 && !window.WebBrowser1.loading(); }));
    click_at(100, 250);
    ASSERT_TRUE(pump_until([&] { return finished; }));
    EXPECT_EQ(said.back(), "Downloaded clicked.zip to " + downloads.string());
    EXPECT_EQ(status(), said.back()) << "the status bar says where the file went";
    EXPECT_EQ(saved(), 1) << "the other site's frame saved its file";
    EXPECT_EQ(read_all(downloads / "clicked.zip"), "clicked.zip");
    // Of three frames of its own site, one saves its file; the others ask the user, once.
    server.serve("/frames.html", "<html><body><iframe src='/one.zip'></iframe><iframe src='/two.zip'></iframe>"
                                 "<iframe src='/three.zip'></iframe></body></html>");
    window.WebBrowser1.Navigate(server.url("/frames.html"));
    ASSERT_TRUE(pump_until([&] { return said_starting("Downloaded") == 2 && said_starting("Did not save") == 2; }));
    EXPECT_EQ(saved(), 2);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, origin());
}

class PageRequests : public Browsing {};

// A page titled "page" that is one big button running the script when clicked.
std::string clicking(const std::string& script) {
    return "<html><head><title>page</title></head><body style='margin:0'><button "
           "style='display:block;width:100vw;height:100vh' onclick=\"" + script + "\">x</button></body></html>";
}

// The second confirm and the second prompt are cancelled, and the latter also stops the
// page from showing more: those that follow are answered as closed, unseen. From the
// second dialog on, each offers that stop; each names the page's site. Location, camera,
// microphone and notifications are refused without a question.
TEST_F(PageRequests, ScriptDialogsAreAnsweredUntilThePageIsStoppedAndPowersRefusedUnasked) {
    const PageDialogAnswer ok{true, "", false}, cancel{false, "", false};
    std::deque<PageDialogAnswer> answers = {ok, ok, cancel, {true, "Bob Smith", false}, {false, "", true}};
    std::vector<std::string> seen;
    set_page_dialog_answers([&](const PageDialog& d) {
        const char* kinds[] = {"alert", "confirm", "prompt"};
        seen.push_back(kinds[static_cast<int>(d.kind)] + (": " + d.text + " [" + d.default_text + "]").raw() +
                       (d.offer_to_stop ? " or stop" : "") + (d.title == origin() ? "" : " from " + d.title.raw()));
        return next(answers).value_or(PageDialogAnswer{true, "shown", false});
    });
    // A camera and a microphone for the page to ask for: without any, it learns that there
    // are none before it asks.
    webkit_settings_set_enable_mock_capture_devices(
        webkit_web_view_get_settings(WEBKIT_WEB_VIEW(window.WebBrowser1.widget().gobj())), TRUE);
    serve_page("<html><body><script>"
               "alert('Hello <b>there</b>');"
               "const answers = [confirm('Sure?'), confirm('Really?'), prompt('Your name?', 'Anne'), prompt('Again?', 'Bo')];"
               "alert('more'); answers.push(confirm('more'), prompt('more'));"
               "fetch('/answers/' + answers.map(encodeURIComponent).join('/'));"
               "const report = (what, value) => fetch('/' + what + '/' + value);"
               "navigator.geolocation.getCurrentPosition(() => report('location', 'given'), e => report('location', e.code));"
               "navigator.mediaDevices.getUserMedia({audio: true, video: true})"
               "    .then(() => report('media', 'given'), e => report('media', e.name));"
               "Notification.requestPermission().then(p => report('notifications', p));"
               "navigator.permissions.query({name: 'geolocation'}).then(s => report('state', s.state));"
               "</script></body></html>");
    for (const char* path : {"/answers/true/false/Bob%20Smith/null/false/null", "/location/1", "/media/NotAllowedError",
                             "/notifications/denied", "/state/denied"})
        EXPECT_TRUE(asked_for(path)) << path;
    EXPECT_EQ(seen, (std::vector<std::string>{"alert: Hello <b>there</b> []", "confirm: Sure? [] or stop",
                                             "confirm: Really? [] or stop", "prompt: Your name? [Anne] or stop",
                                             "prompt: Again? [Bo] or stop"}));
    EXPECT_TRUE(messages.empty() && asked.empty()) << "a page's dialogs are not the program's message boxes or questions";
}

TEST_F(PageRequests, DialogsHoldUpTheirWindowAlone) {
    BrowserWindow other;
    other.show();
    server.serve("/alert.html", "<html><body><script>alert('hello'); fetch('/after')</script></body></html>");
    window.WebBrowser1.Navigate(server.url("/alert.html"));
    Gtk::Dialog* dialog = nullptr;
    ASSERT_TRUE(pump_until([&] {
        for (Gtk::Window* shown : Gtk::Window::list_toplevels())
            if (shown->get_transient_for() == &window && shown->get_visible()) dialog = dynamic_cast<Gtk::Dialog*>(shown);
        return dialog != nullptr;
    }));
    EXPECT_EQ(gtk_grab_get_current(), nullptr) << "the dialog holds up every window";
    EXPECT_FALSE(window.get_child()->get_sensitive());
    EXPECT_TRUE(other.get_child()->get_sensitive());
    dialog->response(Gtk::RESPONSE_OK);
    EXPECT_TRUE(asked_for("/after"));
    EXPECT_TRUE(window.get_child()->get_sensitive());
}

// Cancelled, the site's refusal shows; a name the site does not take is asked for again.
TEST_F(PageRequests, ALoginIsAskedForUntilTheSiteTakesItOrTheUserCancels) {
    server.require_login("/private.html", "anne", "secret", "Members only");
    server.serve("/private.html", page("Private"));
    for (bool cancelled : {true, false}) {
        logins = {Credentials{"anne", "wrong"}, Credentials{"anne", "secret"}};
        if (cancelled) logins.clear();
        asked.clear();
        window.WebBrowser1.Navigate(server.url("/private.html"));
        ASSERT_TRUE(shows(cancelled ? "Login refused" : "Private"));
        EXPECT_EQ(server.requests().back().user, cancelled ? "" : "anne");
        EXPECT_EQ(asked.size(), cancelled ? 1u : 2u);
    }
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, origin());
    EXPECT_TRUE(contains(asked[0].text, origin() + " asks for a name and password.") && contains(asked[0].text, "Members only") &&
                !contains(asked[0].text, "not accepted")) << asked[0].text;
    EXPECT_TRUE(contains(asked[1].text, "not accepted")) << asked[1].text;
}

TEST_F(PageRequests, FileInputOpensTheFileChooser) {
    TempDir folder;
    std::ofstream(folder / "upload.txt") << "12345";
    file = (folder / "upload.txt").string();
    serve_page("<html><body style='margin:0'><input type='file' style='display:block;width:100vw;height:100vh' "
               "onchange=\"fetch('/chosen/' + this.files[0].name + '/' + this.files[0].size)\"></body></html>");
    click_page("/chosen/upload.txt/5");  // pages may open the chooser only on a click
}

// What the user types opens; by a click, the page tries to put a file or a data page in the
// view or a window of its own. The page's own try comes last, and says it is done by a
// beacon: a navigation that starts cancels the page's other requests, and one that is
// refused late could cancel a load that follows.
TEST_F(PageRequests, PutsNoFileOrDataPageOnTopWhileWhatTheUserTypesOpens) {
    TempDir folder;
    std::ofstream(folder / "typed.html") << "<title>typed file</title>";
    for (const std::string& typed : {std::string("data:text/html,<title>typed data</title>"), (folder / "typed.html").string()}) {
        window.WebBrowser1.Navigate(typed);
        EXPECT_TRUE(pump_until([&] { return page_title(window.WebBrowser1.widget()).find("typed") == 0; })) << typed;
    }
    const std::string data = "data:text/html,<title>spoof</title>", later = "setTimeout(() => fetch('/done'))";
    const std::pair<const char*, std::string> pages[] = {
        {"window.open on a file", clicking("window.open('file:///etc/hostname'); " + later)},
        {"window.open on data", clicking("window.open('" + data + "'); " + later)},
        {"a small window on data", clicking("window.open('" + data + "', 'small', 'width=200,height=200'); " + later)},
        {"a link to a new window", "<html><head><title>page</title></head><body style='margin:0'><a href='" + data +
                                       "' target='_blank' style='display:block;height:100vh' onclick=\"" + later + "\">x</a>"},
        {"a script", clicking("location = '" + data + "'; navigator.sendBeacon('/done')")},
    };
    for (const auto& [name, body] : pages) {
        SCOPED_TRACE(name);
        server.clear();
        serve_page(body);
        click_page("/done");
        EXPECT_EQ(window.WebBrowser1.uri(), server.url("/page.html"));
        EXPECT_EQ(page_title(window.WebBrowser1.widget()), "page");
        EXPECT_EQ(windows_of(getpid()).size(), 1u) << "a window opened";
    }
}

TEST_F(PageRequests, OneClickOpensOneWindow) {
    server.serve("/small.html", "<title>small</title>");
    serve_page(clicking("let opened = 0; for (let i = 0; i < 3; ++i) "
                        "if (window.open('/small.html', '_blank', 'width=200,height=200')) ++opened; "
                        "fetch('/opened/' + opened)"));
    for (int n = 1; n <= 2; ++n) click_page("/opened/1", n);
    EXPECT_EQ(server.count("/opened/3"), 0);
}

// Mail and phone links open with the desktop's handler on a click; another scheme only
// when the user agrees, asked by the page's site; nothing without a click.
TEST_F(PageRequests, AnotherProgramStartsOnAClickAndOtherThanMailOrPhoneOnlyWhenTheUserAgrees) {
    // The test's own home is the desktop's: its handler for these schemes notes each address.
    TempDir desktop;
    std::filesystem::create_directory_symlink(g_get_user_data_dir(), desktop / "data");
    std::filesystem::create_directory_symlink(g_get_user_config_dir(), desktop / "config");
    const auto opened = register_default_handler(desktop.path(), {"mailto", "tel", "kelvane-test"});
    // A click leads to a page of the site that opens a mail address by itself as it loads:
    // the click was the user's, but not for that.
    server.serve("/asks.html", "<html><head><script>onload = () => location = 'mailto:unasked@example.com';"
                 "const next = ['kelvane-test:no', 'kelvane-test:yes', 'mailto:anne@example.com', 'tel:+4930123456'];"
                 "</script></head><body style='margin:0'><button style='display:block;width:100vw;height:100vh' "
                 "onclick=\"location = next.shift(); setTimeout(() => fetch('/done'))\">x</button></body></html>");
    serve_page(clicking("location = '/asks.html'"));
    click_page("/asks.html");
    ASSERT_TRUE(pump_until([&] { return !window.WebBrowser1.loading() && window.WebBrowser1.uri() == server.url("/asks.html"); }));
    for (int n = 1; n <= 4; ++n) click_page("/done", n);
    EXPECT_TRUE(pump_until([&] { return read_all(opened) == "kelvane-test:yes\nmailto:anne@example.com\ntel:+4930123456\n"; }))
        << read_all(opened);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, origin());
    EXPECT_NE(asked[0].text.raw().find("\u201ckelvane-test:\u201d"), std::string::npos) << asked[0].text;
    EXPECT_NE(asked[1].text.raw().find("kelvane-test:yes"), std::string::npos) << asked[1].text;
}

}  // namespace
}  // namespace kelvane::test
