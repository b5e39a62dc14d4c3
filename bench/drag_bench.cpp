// How many pointer moves a second the designer's drag handles keep up with: each move
// re-places one control and nine handles. Measured for the handler alone, and with the
// window laid out and painted after every move (the worst case: a real screen paints at
// most once a frame).
//
//   drag_bench [moves]        (default 5000)
#include <gtkmm/application.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "maker/forms.h"
#include "maker/mainwindow/main_window.h"
#include "tests/support/created_program.h"
#include "tests/support/display.h"
#include "tests/support/pump.h"

using namespace kelvane;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    const int moves = argc > 1 ? std::atoi(argv[1]) : 5000;
    test::ensure_display();
    auto app = Gtk::Application::create("", Gio::APPLICATION_NON_UNIQUE);
    test::TempDir folder;
    Forms forms(folder.path());
    MainWindow& main = forms.Form1();
    main.show();
    test::pump_until([&] { return main.get_mapped(); });
    test::pump_for(std::chrono::milliseconds(300));
    main.designer.SelectControl(main.Command1);
    main.handle_MouseDown(4, vbLeftButton, 0, 45, 45);

    // Back and forth over 400 twips, so the control grows and shrinks.
    auto move = [&](int i) {
        const float step = static_cast<float>(i % 200 < 100 ? 45 + 2 * (i % 100) : 245 - 2 * (i % 100));
        main.handle_MouseMove(4, vbLeftButton, 0, step, step / 2);
    };
    for (const bool paint : {false, true}) {
        const auto start = Clock::now();
        for (int i = 0; i < moves; ++i) {
            move(i);
            if (paint) main.get_window()->process_updates(true);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("%-34s %8.0f moves/s  (%.1f us each, %d moves)\n",
                    paint ? "handler + layout + paint each move:" : "handler alone:", moves / seconds,
                    1e6 * seconds / moves, moves);
    }
    return 0;
}
