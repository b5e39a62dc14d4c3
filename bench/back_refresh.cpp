// Times Back and Refresh in a created program as its user sees them: from the click on
// the button to the page's colour on the screen, read back through the X server.
//
//   back_refresh [rounds] [--template NAME=PATH]...        (rounds default 9)
//
// --template adds a created program made from another template (an earlier build, say);
// every round starts each once, beginning with a different one each round, so a busy
// moment of the machine falls on all alike. Each run opens page A, whose script paints
// it one of two colours in turn each time it loads, and then, five times over: a click on
// A's link to page B, Back, Refresh. A Back served from the engine's back-forward cache
// shows A as it was left; one that loads A again shows its other colour, and is counted.
// The figures are medians of every click.
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_common.h"
#include "browserwindow/layout.h"
#include "tests/support/created_program.h"
#include "tests/support/display.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

using namespace kelvane;
using namespace kelvane::test;
using namespace kelvane::bench;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kTimeout = std::chrono::seconds(30);
constexpr int kCycles = 5;
constexpr unsigned long kFirstA = 0x00c000, kSecondA = 0xc0c000, kB = 0x0000c0;

void serve_pages(HttpServer& server) {
    server.serve("/a.html",
                 "<!DOCTYPE html><html><head><title>A</title><link rel=\"stylesheet\" href=\"/a.css\">"
                 "<script src=\"/a.js\"></script></head><body><a href=\"/b.html\">to B</a></body></html>");
    server.serve("/a.css", "html, body { margin: 0; height: 100%; } a { display: block; height: 100%; }", "text/css");
    server.serve("/a.js",
                 "var loads = Number(sessionStorage.getItem('loads') || 0) + 1;"
                 "sessionStorage.setItem('loads', loads);"
                 "document.documentElement.style.background = loads % 2 ? '#00c000' : '#c0c000';",
                 "application/javascript");
    server.serve("/b.html", "<!DOCTYPE html><html><head><title>B</title><style>html { background: #0000c0; }</style>"
                            "</head><body></body></html>");
}

// The centre of a control of the design, in pixels of the window (15 twips a pixel).
std::pair<int, int> centre(Control control) {
    const auto r = design_rect(control);
    return {static_cast<int>((r.left + r.width / 2) / 15), static_cast<int>((r.top + r.height / 2) / 15)};
}

struct Clicks {
    std::vector<double> forward_ms, back_ms, refresh_ms;
    int backs_loaded = 0;
    int failures = 0;
};

// Clicks at `where` and waits until the page shows a colour that `wanted` accepts: the
// milliseconds that took, and the colour.
std::optional<std::pair<double, unsigned long>> click_until(unsigned long window, std::pair<int, int> where,
                                                           const std::function<bool(unsigned long)>& wanted) {
    const auto [x, y] = centre(Control::WebBrowser1);
    const auto start = Clock::now();
    if (!click(window, where.first, where.second)) return std::nullopt;
    while (Clock::now() - start < kTimeout) {
        if (auto colour = pixel(window, x, y); colour && wanted(*colour))
            return std::pair{std::chrono::duration<double, std::milli>(Clock::now() - start).count(), *colour};
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return std::nullopt;
}

// One run of the program: false when a page did not show in time.
bool run_once(const std::filesystem::path& program, Clicks& clicks) {
    TempDir home;
    Process browser(program, {},
                    {{"HOME", home.path()}, {"XDG_CACHE_HOME", home / "cache"}, {"XDG_DATA_HOME", home / "data"},
                     {"XDG_CONFIG_HOME", home / "config"}});
    const auto window = find_window(browser.pid(), kTimeout);
    if (!window) return false;
    auto is_a = [](unsigned long c) { return c == kFirstA || c == kSecondA; };
    const auto [x, y] = centre(Control::WebBrowser1);
    std::optional<unsigned long> a;
    if (!wait_until([&] { return (a = pixel(window->id, x, y)) && is_a(*a); }, kTimeout)) return false;
    for (int k = 0; k < kCycles; ++k) {
        const auto forward = click_until(window->id, {x, y}, [](unsigned long c) { return c == kB; });
        if (!forward) return false;
        const auto back = click_until(window->id, centre(Control::Command2), is_a);
        if (!back) return false;
        if (back->second != *a) ++clicks.backs_loaded;
        a = back->second;
        const unsigned long reloaded = *a == kFirstA ? kSecondA : kFirstA;
        const auto refresh = click_until(window->id, centre(Control::Command3), [&](unsigned long c) { return c == reloaded; });
        if (!refresh) return false;
        a = reloaded;
        clicks.forward_ms.push_back(forward->first);
        clicks.back_ms.push_back(back->first);
        clicks.refresh_ms.push_back(refresh->first);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 9;
    std::vector<NamedTemplate> templates{{"created program", template_path()}};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--template" && i + 1 < argc) {
            if (!add_template(argv[++i], templates)) return 2;
        } else if (auto n = rounds_argument(arg)) {
            rounds = *n;
        } else {
            std::fprintf(stderr, "usage: %s [rounds] [--template NAME=PATH]...   (rounds >= 1, default 9)\n", argv[0]);
            return 2;
        }
    }

    HttpServer server;
    serve_pages(server);
    TempDir folder;
    std::vector<std::filesystem::path> programs;
    for (const auto& [name, file] : templates) {
        programs.push_back(folder / ("bench-browser-" + std::to_string(programs.size())));
        auto record = default_record();
        record.WriteProperty("Text1", server.url("/a.html"));
        record.WriteProperty("url", std::string());
        make_created_program(programs.back(), record, file);
    }
    ensure_display();
    FILE* report = quiet_browsers();
    std::fprintf(report, "%d rounds, round-robin, %d clicks each of link, Back and Refresh a run; "
                         "ms from the click to the page on the screen\n\n", rounds, kCycles);

    std::vector<Clicks> results(templates.size());
    for (int round = 0; round < rounds; ++round)
        for (std::size_t k = 0; k < templates.size(); ++k) {
            const std::size_t t = (k + static_cast<std::size_t>(round)) % templates.size();
            if (!run_once(programs[t], results[t])) ++results[t].failures;
        }

    std::fprintf(report, "%-18s %10s %10s %10s %18s %9s\n", "template", "link ms", "Back ms", "Refresh ms",
                 "Backs that loaded", "failures");
    for (std::size_t t = 0; t < templates.size(); ++t) {
        const Clicks& c = results[t];
        std::fprintf(report, "%-18s %10.0f %10.0f %10.0f %12d of %3zu %9d\n", templates[t].name.c_str(), median(c.forward_ms),
                     median(c.back_ms), median(c.refresh_ms), c.backs_loaded, c.back_ms.size(), c.failures);
    }
    return 0;
}
