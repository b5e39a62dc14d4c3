// Keys and buttons pressed through the X server while the focus is in the page of the
// real web view: each does what it does in other browsers, unless the page takes the key
// for itself; with the focus elsewhere in the window, none does anything.
#include <gtest/gtest.h>

#include <unistd.h>

#include "browserwindow/browser_window.h"
#include "browserwindow/find_bar.h"
#include "tests/support/http_server.h"
#include "tests/support/keyboard.h"
#include "tests/support/pump.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

// A tall page that reports being shown, its width changing (by zoom), reaching either
// end, the text selected, and the keys it takes for itself (when `keeps`).
std::string page(const std::string& name, bool keeps = false) {
    return "<html><body style='height:5000px'><p id=one>needle</p><p id=two>needle</p><p id=three>Needle</p><script>"
           "const report = what => fetch('/' + what), width = innerWidth;"
           "addEventListener('pageshow', () => report('shown/" + name + "'));"
           "addEventListener('resize', () => report(innerWidth < width ? 'zoom/in' : innerWidth > width ? 'zoom/out' : 'zoom/normal'));"
           "addEventListener('scroll', () => report(scrollY == 0 ? 'at/start' : innerHeight + scrollY >= document.body.scrollHeight ? 'at/end' : 'between'));"
           "document.addEventListener('selectionchange', () => report('selected/' + getSelection().anchorNode?.parentElement?.id));" +
           (keeps ? "addEventListener('keydown', e => { e.preventDefault(); report('key/' + e.key); });" : "") +
           "</script></body></html>";
}

class PageKeys : public testing::Test {
protected:
    PageKeys() {
        for (const char* name : {"first", "second"}) server.serve(std::string("/") + name + ".html", page(name));
        server.serve("/keeps.html", page("keeps", true));
        window.show();
        open("first");
        open("second");
    }

    // Shows the page and puts the focus into it with a click.
    void open(const std::string& name) {
        const int shown = server.count("/shown/" + name);
        window.WebBrowser1.Navigate(server.url("/" + name + ".html"));
        ASSERT_TRUE(reported("shown/" + name, shown + 1));
        ASSERT_TRUE(pump_until([&] { return window.get_mapped(); }));
        const auto x = find_window(getpid());
        ASSERT_TRUE(x && click(x->id, 300, 200));
    }
    bool reported(const std::string& what, int times) {
        return pump_until([&] { return server.count("/" + what) >= times; });
    }
    // Presses the keys and waits for the page to report what they did.
    void expect_reported(const std::string& keys, const std::string& what) {
        const int before = server.count("/" + what);
        ASSERT_TRUE(press_keys(keys));
        EXPECT_TRUE(reported(what, before + 1)) << keys << ": no " << what;
    }

    HttpServer server;
    BrowserWindow window;
};

TEST_F(PageKeys, DoWhatBrowsersDo) {
    const std::pair<const char*, const char*> presses[] = {
        {"F5", "shown/second"},      {"ctrl+r", "shown/second"},        {"shift+F5", "shown/second"},
        {"ctrl+End", "at/end"},      {"ctrl+Home", "at/start"},         {"ctrl+plus", "zoom/in"},
        {"ctrl+0", "zoom/normal"},   {"ctrl+minus", "zoom/out"},        {"ctrl+equal", "zoom/normal"},
        {"ctrl+button4", "zoom/in"}, {"ctrl+button5", "zoom/normal"},   {"alt+Left", "shown/first"},
        {"alt+Right", "shown/second"}, {"button8", "shown/first"},      {"button9", "shown/second"},
    };
    for (auto [keys, what] : presses) expect_reported(keys, what);
    // Shift+F5 fetched the page again whatever the cache held.
    const auto requests = server.requests();
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(), [](const auto& r) { return r.headers.find("no-cache") != std::string::npos; }), 1);
}

TEST_F(PageKeys, StayThePagesWhenItTakesThemAndDoNothingOutsideThePage) {
    open("keeps");
    ASSERT_TRUE(press_keys("F5") && press_keys("ctrl+f") && reported("key/f", 1));
    drain();
    EXPECT_EQ(server.count("/shown/keeps"), 1) << "not reloaded";
    EXPECT_FALSE(window.WebBrowser1.find_bar());

    window.Text1.grab_focus();
    ASSERT_TRUE(press_keys("F5"));
    drain();
    EXPECT_FALSE(window.WebBrowser1.loading());
}

TEST_F(PageKeys, FindBarCountsGoesBothWaysAndClosesAndEscapeStopsALoad) {
    ASSERT_TRUE(press_keys("ctrl+f") && type_text("needle"));
    auto bar = [&] { return window.WebBrowser1.find_bar(); };  // made by the first Ctrl+F
    // Keys typed before the bar opened reach it once the page has declined them, after
    // "ne" already counts three: Enter waits for the whole word.
    ASSERT_TRUE(pump_until([&] { return bar() && bar()->text() == "needle" && bar()->matches() == "3 matches"; }));
    ASSERT_TRUE(reported("selected/one", 1));
    for (auto [keys, selected] : {std::pair{"Return", "two"}, {"F3", "three"}, {"shift+Return", "two"}, {"shift+F3", "one"}})
        expect_reported(keys, std::string("selected/") + selected);
    ASSERT_TRUE(press_keys("Escape"));
    EXPECT_TRUE(pump_until([&] { return !bar()->get_visible() && window.WebBrowser1.widget().has_focus(); }));
    // Back in the page, Escape stops a load the server never answers.
    server.stall("/silent");
    window.WebBrowser1.Navigate(server.url("/silent"));
    ASSERT_TRUE(reported("silent", 1) && press_keys("Escape"));
    EXPECT_TRUE(pump_until([&] { return server.abandoned() == 1 && !window.WebBrowser1.loading(); })) << "the browser did not hang up";
}

}  // namespace
}  // namespace kelvane::test
