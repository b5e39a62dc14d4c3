// A page stays inside its view, tried in the real web view with the user's clicks made
// through the X server: no file: or data: page on top, no other program without a
// question, no dialogs that hold up more than their window, one window a click.
#include <gtest/gtest.h>

#include <unistd.h>

#include <gtkmm/dialog.h>

#include <deque>
#include <fstream>

#include "browserwindow/browser_window.h"
#include "platform/page_dialog.h"
#include "platform/question_box.h"
#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/page_script.h"
#include "tests/support/pump.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

// A page titled "page" that is one big button running the script when clicked.
std::string clicking(const std::string& script) {
    return "<html><head><title>page</title></head><body style='margin:0'><button "
           "style='display:block;width:100vw;height:100vh' onclick=\"" + script + "\">x</button></body></html>";
}

class UntrustedPage : public testing::Test {
protected:
    UntrustedPage() {
        set_question_answers({{}, {}, {}, [this](const Question& q) {
                                  asked.push_back(q);
                                  const bool yes = !answers.empty() && answers.front();
                                  if (!answers.empty()) answers.pop_front();
                                  return yes;
                              }});
        window.show();
    }
    ~UntrustedPage() override {
        set_question_answers({});
        set_page_dialog_answers({});
    }

    void open(const std::string& body) {
        server.serve("/page.html", body);
        window.WebBrowser1.Navigate(server.url("/page.html"));
        ASSERT_TRUE(pump_until([&] { return !window.WebBrowser1.loading() && window.WebBrowser1.uri() == server.url("/page.html"); }));
    }
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
    std::vector<Question> asked;
    std::deque<bool> answers;  // to the questions in turn; none left is "no"
};

TEST_F(UntrustedPage, PutsNoFileOrDataPageOnTopWhileWhatTheUserTypesOpens) {
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
        open(page);
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

TEST_F(UntrustedPage, AnotherProgramStartsOnAClickAndOtherThanMailOrPhoneOnlyWhenTheUserAgrees) {
    // The test's own home is the desktop's: its handler for these schemes notes each address.
    TempDir desktop;
    std::filesystem::create_directory_symlink(g_get_user_data_dir(), desktop / "data");
    std::filesystem::create_directory_symlink(g_get_user_config_dir(), desktop / "config");
    const auto opened = register_default_handler(desktop.path(), {"mailto", "kelvane-test"});
    open("<html><head><title>page</title><script>"
         "onload = () => location = 'kelvane-test:unasked';"
         "const next = ['kelvane-test:no', 'kelvane-test:yes', 'mailto:anne@example.com'];</script></head>"
         "<body style='margin:0'><button style='display:block;width:100vw;height:100vh' "
         "onclick=\"location = next.shift(); setTimeout(() => fetch('/done'))\">x</button></body></html>");
    answers = {false, true};
    for (int n = 1; n <= 3; ++n) click_page("/done", n);
    EXPECT_TRUE(wait_until([&] { return read_all(opened) == "kelvane-test:yes\nmailto:anne@example.com\n"; }))
        << read_all(opened);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, "http://127.0.0.1:" + std::to_string(server.port()));
    EXPECT_NE(asked[0].text.raw().find("\u201ckelvane-test:\u201d"), std::string::npos) << asked[0].text;
    EXPECT_NE(asked[1].text.raw().find("kelvane-test:yes"), std::string::npos) << asked[1].text;
}

TEST_F(UntrustedPage, DialogsHoldUpTheirWindowAlone) {
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

TEST_F(UntrustedPage, FromItsSecondDialogOnThePageCanBeStoppedFromShowingMore) {
    std::vector<PageDialog> shown;
    set_page_dialog_answers([&](const PageDialog& dialog) {
        shown.push_back(dialog);
        return PageDialogAnswer{true, "typed", shown.size() == 2};
    });
    open("<html><body><script>alert('1'); alert('2'); alert('3');"
         "fetch('/after/' + confirm('4') + '/' + prompt('5', 'x'))</script></body></html>");
    ASSERT_TRUE(pump_until([&] { return server.count("/after/false/null") == 1; }));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_FALSE(shown[0].offer_to_stop);
    EXPECT_TRUE(shown[1].offer_to_stop);
    EXPECT_EQ(shown[1].text, "2");
}

TEST_F(UntrustedPage, OneClickOpensOneWindow) {
    server.serve("/small.html", "<title>small</title>");
    open(clicking("let opened = 0; for (let i = 0; i < 3; ++i) "
                  "if (window.open('/small.html', '_blank', 'width=200,height=200')) ++opened; "
                  "fetch('/opened/' + opened)"));
    for (int n = 1; n <= 2; ++n) click_page("/opened/1", n);
    EXPECT_EQ(server.count("/opened/3"), 0);
}

}  // namespace
}  // namespace kelvane::test
