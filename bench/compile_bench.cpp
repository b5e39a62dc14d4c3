// Times the Compile action against a plain copy of the template, in one run, and the
// maker's start-up to its first window.
//
//   compile_bench [runs] [maker]      (runs default 200; maker: another build's, to compare)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include <gtkmm/application.h>
#include <poll.h>

#include "maker/compiler/compiler.h"
#include "tests/support/created_program.h"
#include "tests/support/display.h"
#include "tests/support/home.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

#include <X11/Xlib.h>  // last: its macros clash with the toolkit's names

using namespace kelvane;
using namespace kelvane::test;
using Clock = std::chrono::steady_clock;

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename F>
double time_ms(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// When the X server told that a top-level window of the process was mapped, on a connection
// that asked to be told before the process started: no polling, so the time is known to
// within a round trip. Nothing at the deadline. On a display without a window manager,
// which would map its frame instead.
std::optional<Clock::time_point> wait_for_map(Display* d, pid_t pid) {
    const auto deadline = Clock::now() + kPatience;
    for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
        if (!XPending(d)) {
            pollfd fd{ConnectionNumber(d), POLLIN, 0};
            poll(&fd, 1, static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count()));
            continue;
        }
        XEvent event;
        XNextEvent(d, &event);
        if (event.type == MapNotify && window_pid(event.xmap.window) == pid) return now;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
    // Every compile installs a menu entry: they go into a home of the benchmark's own,
    // not into the menu of whoever runs it; its icon is drawn with GTK, as in the maker.
    isolate_home();
    ensure_display();
    auto app = Gtk::Application::create("", Gio::APPLICATION_NON_UNIQUE);
    TempDir folder;
    std::filesystem::copy_file(template_path(), folder / "browser.dat");
    SettingsRecord record = default_record();
    std::printf("template: %ju bytes, record: %zu bytes, %d runs each\n",
                static_cast<std::uintmax_t>(std::filesystem::file_size(folder / "browser.dat")),
                record.Contents().size(), runs);

    // Compiling under a new name, and again over an earlier program. The two alternate, so
    // the machine's moods fall on both alike.
    for (const bool replace : {false, true}) {
        std::vector<double> compile, copy;
        for (int i = 0; i < runs; ++i) {
            const std::string name = replace ? "program" : "program" + std::to_string(i);
            compile.push_back(time_ms([&] {
                if (!compile_program(record, folder.path(), name + ".exe").error.empty()) std::abort();
            }));
            copy.push_back(time_ms([&] {
                std::filesystem::copy_file(folder / "browser.dat", folder / (name + ".copy"),
                                           std::filesystem::copy_options::overwrite_existing);
            }));
        }
        const double c = median(compile), p = median(copy);
        std::printf("%s\n  compile     median %.3f ms\n  plain copy  median %.3f ms\n  ratio       %.2f (target at most 1.3): %s\n",
                    replace ? "over an earlier program:" : "under a new name:", c, p, c / p, c / p <= 1.3 ? "met" : "NOT met");
    }

    // The maker from start to its first window (the start menu) on the screen.
    const auto maker = std::filesystem::path(argc > 2 ? argv[2] : KELVANE_MAKER_PATH);
    std::vector<double> startup;
    const std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
    XSelectInput(display.get(), DefaultRootWindow(display.get()), SubstructureNotifyMask);
    for (int i = 0; i < 11; ++i) {
        const auto start = Clock::now();
        Process process(maker);
        const auto shown = wait_for_map(display.get(), process.pid());
        if (!shown) {
            std::printf("the maker's window did not show\n");
            return 1;
        }
        startup.push_back(std::chrono::duration<double, std::milli>(*shown - start).count());
    }
    std::printf("maker start to its first window: median %.0f ms over %zu starts\n", median(startup), startup.size());
    return 0;
}
