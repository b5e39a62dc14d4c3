// What pages ask of the browser, in the real web view: script dialogs, a login, a file
// to send, and powerful features, answered through the platform layer as a user would.
#include <gtest/gtest.h>

#include <unistd.h>

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
                              }, {}});
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
    std::string origin() const { return "http://127.0.0.1:" + std::to_string(server.port()); }

    HttpServer server;
    BrowserWindow window;
    std::vector<Message> messages;
    std::vector<Question> asked;
    std::deque<std::optional<Credentials>> logins;
    std::deque<std::optional<std::string>> files;
};

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
                                         ScriptAnswers{false, std::nullopt, "/answers/false/null"}));

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
    ASSERT_TRUE(pump_until([&] { return window.get_mapped(); }));
    const auto x_window = find_window(getpid());
    ASSERT_TRUE(x_window);

    // A person's click: pages may open the chooser only from one. The view starts at
    // twips (120, 600), pixels (8, 40).
    ASSERT_TRUE(click(x_window->id, 100, 100));
    EXPECT_TRUE(asked_for("/chosen/upload.txt/5"));
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

}  // namespace
}  // namespace kelvane::test
