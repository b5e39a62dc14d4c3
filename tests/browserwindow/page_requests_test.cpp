// What pages ask of the browser, in the real web view: script dialogs, a login, a file
// to send, and powerful features, answered through the platform layer as a user would.
#include <gtest/gtest.h>

#include <unistd.h>

#include <webkit2/webkit2.h>

#include <deque>
#include <fstream>
#include <utility>

#include "browserwindow/browser_window.h"
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

// The next answer a test queued, as a person would give it; none left is a cancel.
template <typename T>
std::optional<T> next(std::deque<std::optional<T>>& answers, std::vector<Question>& asked, const Question& q) {
    asked.push_back(q);
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

class PageRequests : public testing::Test {
protected:
    PageRequests() {
        set_message_handler([this](const Message& m) { messages.push_back(m); });
        set_question_answers({[this](const Question& q) { return next(confirms, asked, q).value_or(false); },
                              [this](const Question& q) { return next(inputs, asked, q); },
                              [this](const Question& q) { return next(logins, asked, q); }});
        set_dialog_answers({[this] { return std::exchange(file, std::nullopt); }, [] { return std::optional<std::int32_t>(); }});
        window.show();
    }
    ~PageRequests() override {
        set_message_handler({});
        set_question_answers({});
        set_dialog_answers({});
    }
    void open(const std::string& path) {
        window.WebBrowser1.Navigate(server.url(path));
        ASSERT_TRUE(pump_until([&] { return !window.WebBrowser1.loading() && window.WebBrowser1.uri() == server.url(path); }));
    }
    bool shows(const std::string& title) {
        return pump_until([&] { return page_title(window.WebBrowser1.widget()) == title; });
    }
    // The page's script asks for the path once the main loop has run what it waited on.
    bool asked_for(const std::string& path) {
        return pump_until([&] { return server.count(path) > 0; });
    }
    std::string origin() const { return "http://127.0.0.1:" + std::to_string(server.port()); }

    HttpServer server;
    BrowserWindow window;
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
    open("/dialogs.html");
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
    server.serve("/private.html", "<html><head><title>Private</title></head><body>private</body></html>");
    open("/private.html");  // cancelled: the site's refusal shows
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
    open("/upload.html");
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
    open("/powerful.html");
    for (const char* path : {"/location/1", "/media/NotAllowedError", "/notifications/denied", "/state/denied"})
        EXPECT_TRUE(asked_for(path)) << path;
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(asked.empty());
}

}  // namespace
}  // namespace kelvane::test
