// What pages ask of the browser, in the real web view: script dialogs, a login, a file
// to send, powerful features, other programs, new windows, answered through the platform
// layer as a user would, with the user's clicks made through the X server; and that a
// page stays inside its view while it asks.
#include <gtest/gtest.h>

#include <unistd.h>

#include <gtkmm/dialog.h>

#include <webkit2/webkit2.h>

#include <deque>
#include <fstream>

#include "browserwindow/browser_window.h"
#include "platform/common_dialog.h"
#include "platform/message_box.h"
#include "platform/page_dialog.h"
#include "platform/question_box.h"
#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/page_script.h"
#include "tests/support/pump.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

bool contains(const Glib::ustring& text, const std::string& part) { return text.raw().find(part) != std::string::npos; }

template <typename T>
std::optional<T> next(std::deque<std::optional<T>>& answers) {
    if (answers.empty()) return std::nullopt;  // nobody answers: a cancel
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

class PageRequests : public testing::Test {
protected:
    PageRequests() {
        set_message_handler([this](const Message& m) { messages.push_back(m); });
        set_question_answers({{}, {}, [this](const Question& q) {
                                  asked.push_back(q);
                                  return next(logins);
                              },
                              [this](const Question& q) {  // the user agrees to what is named "yes"
                                  asked.push_back(q);
                                  return contains(q.text, ":yes");
                              }});
        set_dialog_answers({[this] { return next(files); }, [] { return std::optional<std::int32_t>(); }});
        window.show();
    }
    ~PageRequests() override {
        set_message_handler({});
        set_page_dialog_answers({});
        set_question_answers({});
        set_dialog_answers({});
    }

    void open(const std::string& path) {
        window.WebBrowser1.Navigate(server.url(path));
        ASSERT_TRUE(pump_until([&] { return !window.WebBrowser1.loading() && window.WebBrowser1.uri() == server.url(path); }));
    }
    bool shows(const std::string& title) {
        return pump_until([&] { return page_title(window.WebBrowser1.widget()) == title; }, std::chrono::seconds(20));
    }
    bool asked_for(const std::string& path) {
        return pump_until([&] { return server.count(path) > 0; }, std::chrono::seconds(20));
    }
    void serve_page(const std::string& body) {
        server.serve("/page.html", body);
        open("/page.html");
    }
    std::string origin() const { return "http://127.0.0.1:" + std::to_string(server.port()); }
    // A click of the user's into the page, and what the page reports when it is done with it.
    void click_page(const std::string& reported, int times = 1) {
        ASSERT_TRUE(pump_until([&] { return window.get_mapped(); }));
        drain();  // the X server has mapped it
        const auto x_window = find_window(getpid());
        ASSERT_TRUE(x_window);
        // The view takes pixels (8, 40) to (577, 337); a window the page opened stays
        // clear of this point.
        ASSERT_TRUE(click(x_window->id, 450, 300));
        ASSERT_TRUE(pump_until([&] { return server.count(reported) == times; }));
        drain();  // and what the page asked of this process before it reported
    }

    HttpServer server;
    BrowserWindow window;
    std::vector<Message> messages;
    std::vector<Question> asked;
    std::deque<std::optional<Credentials>> logins;
    std::deque<std::optional<std::string>> files;
};

// A page titled "page" that is one big button running the script when clicked.
std::string clicking(const std::string& script) {
    return "<html><head><title>page</title></head><body style='margin:0'><button "
           "style='display:block;width:100vw;height:100vh' onclick=\"" + script + "\">x</button></body></html>";
}

struct ScriptAnswers {
    bool confirm;
    std::optional<Glib::ustring> input;
    const char* reported;  // what the page then reports of the answers
};

void PrintTo(const ScriptAnswers& answers, std::ostream* out) { *out << answers.reported; }

class ScriptDialogs : public PageRequests, public testing::WithParamInterface<ScriptAnswers> {};

TEST_P(ScriptDialogs, AreShownAndAnswered) {
    server.serve("/dialogs.html", "<html><body><script>"
                                  "alert('Hello <b>there</b>');"
                                  "const sure = confirm('Sure?');"
                                  "const name = prompt('Your name?', 'Anne');"
                                  "fetch('/answers/' + sure + '/' + encodeURIComponent(name));"
                                  "</script></body></html>");
    std::vector<PageDialog> shown;
    set_page_dialog_answers([&](const PageDialog& dialog) {
        shown.push_back(dialog);
        if (dialog.kind == PageDialog::Kind::Prompt) return PageDialogAnswer{GetParam().input.has_value(), GetParam().input.value_or(""), false};
        return PageDialogAnswer{dialog.kind == PageDialog::Kind::Alert || GetParam().confirm, "", false};
    });
    open("/dialogs.html");
    EXPECT_TRUE(asked_for(GetParam().reported));

    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].kind, PageDialog::Kind::Alert);
    EXPECT_EQ(shown[0].text, "Hello <b>there</b>");
    EXPECT_EQ(shown[0].title, origin());
    EXPECT_EQ(shown[1].kind, PageDialog::Kind::Confirm);
    EXPECT_EQ(shown[1].text, "Sure?");
    EXPECT_EQ(shown[1].title, origin());
    EXPECT_EQ(shown[2].text, "Your name?");
    EXPECT_EQ(shown[2].default_text, "Anne");
}

INSTANTIATE_TEST_SUITE_P(Answers, ScriptDialogs,
                         testing::Values(ScriptAnswers{true, Glib::ustring("Bob Smith"), "/answers/true/Bob%20Smith"},
                                         ScriptAnswers{false, std::nullopt, "/answers/false/null"}),
                         [](const auto& info) {
                             return std::string(info.param.confirm ? "Confirmed" : "Declined") +
                                    (info.param.input ? "AndNamed" : "AndCancelled");
                         });

TEST_F(PageRequests, LoginAsksForNameAndPasswordUntilTheSiteTakesThem) {
    server.require_login("/private.html", "anne", "secret", "Members only");
    server.serve("/private.html", "<html><head><title>Private</title></head><body>private</body></html>");
    logins.push_back(Credentials{"anne", "wrong"});
    logins.push_back(Credentials{"anne", "secret"});
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

TEST_F(PageRequests, CancelledLoginShowsTheSitesRefusal) {
    server.require_login("/private.html", "anne", "secret", "Members only");
    server.serve("/private.html", "<html><head><title>Private</title></head><body>private</body></html>");
    window.WebBrowser1.Navigate(server.url("/private.html"));
    ASSERT_TRUE(shows("Login refused"));
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(server.requests().back().user, "");
}

TEST_F(PageRequests, FileInputOpensTheFileChooser) {
    TempDir folder;
    std::ofstream(folder / "upload.txt") << "12345";
    files.push_back((folder / "upload.txt").string());
    server.serve("/upload.html",
                 "<html><head><title>Upload</title></head><body style='margin:0'><input type='file' "
                 "style='display:block;width:100vw;height:100vh' "
                 "onchange=\"fetch('/chosen/' + this.files[0].name + '/' + this.files[0].size)\"></body></html>");
    open("/upload.html");
    ASSERT_TRUE(shows("Upload"));
    click_page("/chosen/upload.txt/5");  // pages may open the chooser only on a click
    EXPECT_TRUE(files.empty());
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
    open("/powerful.html");
    for (const char* path : {"/location/1", "/media/NotAllowedError", "/notifications/denied", "/state/denied"})
        EXPECT_TRUE(asked_for(path)) << path;
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(asked.empty());
}

TEST_F(PageRequests, PutsNoFileOrDataPageOnTopWhileWhatTheUserTypesOpens) {
    const std::string data = "data:text/html,<title>spoof</title>", later = "setTimeout(() => fetch('/done'))";
    const std::pair<const char*, std::string> pages[] = {
        {"window.open on a file", clicking("window.open('file:///etc/hostname'); " + later)},
        {"window.open on data", clicking("window.open('" + data + "'); " + later)},
        {"a small window on data", clicking("window.open('" + data + "', 'small', 'width=200,height=200'); " + later)},
        {"a link to a new window", "<html><head><title>page</title></head><body style='margin:0'><a href='" + data +
                                       "' target='_blank' style='display:block;height:100vh' onclick=\"" + later +
                                       "\">x</a></body></html>"},
        {"a script", clicking("location = '" + data + "'; " + later)},
    };
    for (const auto& [name, page] : pages) {
        SCOPED_TRACE(name);
        server.clear();
        serve_page(page);
        click_page("/done");
        EXPECT_EQ(window.WebBrowser1.uri(), server.url("/page.html"));
        EXPECT_EQ(page_title(window.WebBrowser1.widget()), "page");
        EXPECT_EQ(windows_of(getpid()).size(), 1u) << "a window opened";
    }

    TempDir folder;
    std::ofstream(folder / "typed.html") << "<title>typed file</title>";
    for (const std::string& typed : {std::string("data:text/html,<title>typed data</title>"), (folder / "typed.html").string()}) {
        window.WebBrowser1.Navigate(typed);
        EXPECT_TRUE(pump_until([&] { return page_title(window.WebBrowser1.widget()).find("typed") == 0; })) << typed;
    }
}

TEST_F(PageRequests, AnotherProgramStartsOnAClickAndOtherThanMailOrPhoneOnlyWhenTheUserAgrees) {
    // The test's own home is the desktop's: its handler for these schemes notes each address.
    TempDir desktop;
    std::filesystem::create_directory_symlink(g_get_user_data_dir(), desktop / "data");
    std::filesystem::create_directory_symlink(g_get_user_config_dir(), desktop / "config");
    const auto opened = register_default_handler(desktop.path(), {"mailto", "kelvane-test"});
    serve_page("<html><head><title>page</title><script>"
         "onload = () => location = 'kelvane-test:unasked';"
         "const next = ['kelvane-test:no', 'kelvane-test:yes', 'mailto:anne@example.com'];</script></head>"
         "<body style='margin:0'><button style='display:block;width:100vw;height:100vh' "
         "onclick=\"location = next.shift(); setTimeout(() => fetch('/done'))\">x</button></body></html>");
    for (int n = 1; n <= 3; ++n) click_page("/done", n);
    EXPECT_TRUE(wait_until([&] { return read_all(opened) == "kelvane-test:yes\nmailto:anne@example.com\n"; }))
        << read_all(opened);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, "http://127.0.0.1:" + std::to_string(server.port()));
    EXPECT_NE(asked[0].text.raw().find("\u201ckelvane-test:\u201d"), std::string::npos) << asked[0].text;
    EXPECT_NE(asked[1].text.raw().find("kelvane-test:yes"), std::string::npos) << asked[1].text;
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
    EXPECT_TRUE(pump_until([&] { return server.count("/after") == 1; }));
    EXPECT_TRUE(window.get_child()->get_sensitive());
}

TEST_F(PageRequests, FromItsSecondDialogOnThePageCanBeStoppedFromShowingMore) {
    std::vector<PageDialog> shown;
    set_page_dialog_answers([&](const PageDialog& dialog) {
        shown.push_back(dialog);
        return PageDialogAnswer{true, "typed", shown.size() == 2};
    });
    serve_page("<html><body><script>alert('1'); alert('2'); alert('3');"
         "fetch('/after/' + confirm('4') + '/' + prompt('5', 'x'))</script></body></html>");
    ASSERT_TRUE(pump_until([&] { return server.count("/after/false/null") == 1; }));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_FALSE(shown[0].offer_to_stop);
    EXPECT_TRUE(shown[1].offer_to_stop);
    EXPECT_EQ(shown[1].text, "2");
}

TEST_F(PageRequests, OneClickOpensOneWindow) {
    server.serve("/small.html", "<title>small</title>");
    serve_page(clicking("let opened = 0; for (let i = 0; i < 3; ++i) "
                  "if (window.open('/small.html', '_blank', 'width=200,height=200')) ++opened; "
                  "fetch('/opened/' + opened)"));
    for (int n = 1; n <= 2; ++n) click_page("/opened/1", n);
    EXPECT_EQ(server.count("/opened/3"), 0);
}

}  // namespace
}  // namespace kelvane::test
