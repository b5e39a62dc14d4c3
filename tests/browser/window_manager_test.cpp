// Created programs under a real window manager, looked at from outside: the size of
// their frame and client area, their window state, the status bar along the bottom edge,
// and the title and border that they keep whoever changes them.
#include <algorithm>
#include <functional>

#include "tests/browser/started_program.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

constexpr unsigned long kBlue = 0x0000FF;  // the program colour below

// A border and a window state; then another program changes one of the window's
// properties, and the created program writes its own value back.
struct Look {
    const char *name, *border, *state;
    std::function<bool(unsigned long)> change, kept;
};

class UnderWindowManager : public StartedProgram, public testing::WithParamInterface<Look> {
protected:
    UnderWindowManager() {
        manager = std::make_unique<WindowManager>();
        record.WriteProperty("url", std::string());
        record.WriteProperty("Caption", std::string("Kept Title"));
        record.WriteProperty("color", std::string("16711680"));  // 0x00BBGGRR: blue
    }
    bool has(const char* state) const { return std::ranges::count(atom_list(window, "_NET_WM_STATE"), state) > 0; }
    // The outer size, frame included.
    bool outer_size_is(int width, int height) const {
        const auto info = window_info(window).value_or(XWindowInfo{});
        const auto frame = frame_extents(window).value_or(std::array<long, 4>{});
        return info.width + frame[0] + frame[1] == width && info.height + frame[2] + frame[3] == height;
    }
};

// The configured size (8775 by 6180 twips) is the outer size whatever frame the border
// gives, and the status bar lies along the client area's bottom edge (255 twips high) in
// colours of its own; maximised, the window fills the screen (which has no panels).
TEST_P(UnderWindowManager, OpensAsConfiguredAndKeepsItsTitleAndBorder) {
    record.WriteProperty("custom23", std::string(GetParam().border));
    record.WriteProperty("custom25", std::string(GetParam().state));
    ASSERT_TRUE(manager->running()) << "openbox did not start";
    start();
    switch (GetParam().state[0]) {
    case '1':
        EXPECT_TRUE(pump_until([&] { return wm_state(window) == 3 && has("_NET_WM_STATE_HIDDEN"); }));
        break;
    case '2':
        EXPECT_TRUE(pump_until([&] {
            return has("_NET_WM_STATE_MAXIMIZED_VERT") && has("_NET_WM_STATE_MAXIMIZED_HORZ") &&
                   outer_size_is(screen_size()[0], screen_size()[1]);
        }));
        break;
    default:
        EXPECT_TRUE(pump_until([&] { return wm_state(window) == 1 && outer_size_is(8775 / 15, 6180 / 15); }));
        EXPECT_FALSE(has("_NET_WM_STATE_HIDDEN") || has("_NET_WM_STATE_MAXIMIZED_VERT"));
        EXPECT_EQ((*frame_extents(window))[2] > 0, GetParam().border != std::string("0")) << "a title bar";
        const int middle = window_info(window)->width / 2, bottom = window_info(window)->height;
        EXPECT_TRUE(pump_until([&] { return pixel(window, middle, bottom - 255 / 15 - 3) == kBlue; }));
        EXPECT_TRUE(pump_until([&] { return pixel(window, middle, bottom - 2).value_or(kBlue) != kBlue; }));
    }
    ASSERT_TRUE(pump_until([&] { return GetParam().kept(window); })) << "as configured before the change";
    ASSERT_TRUE(GetParam().change(window));
    EXPECT_TRUE(pump_until([&] { return GetParam().kept(window); }));
    EXPECT_EQ(window_info(window)->title, "Kept Title");
    EXPECT_TRUE(program->running());
}

bool titled(unsigned long id) { return window_info(id)->title == "Kept Title" && wm_name(id) == "Kept Title"; }
// Decorations asked for (no hint: GTK's way of asking for all) and a title bar drawn, or neither.
bool decorated(unsigned long id, bool decorations = true) {
    const auto frame = frame_extents(id);
    return motif_decorations(id).value_or(1) == decorations && frame && ((*frame)[2] > 0) == decorations;
}
bool typed(unsigned long id, const char* type) { return atom_list(id, "_NET_WM_WINDOW_TYPE") == std::vector<std::string>{type}; }
bool normal(unsigned long id) { return typed(id, "_NET_WM_WINDOW_TYPE_NORMAL"); }
auto retitle(const char* title) { return [title](unsigned long id) { return set_title(id, title); }; }
auto retype(const char* type) { return [type](unsigned long id) { return set_window_type(id, type); }; }
auto redecorate(long decorations) { return [decorations](unsigned long id) { return set_motif_decorations(id, decorations); }; }

INSTANTIATE_TEST_SUITE_P(
    Looks, UnderWindowManager,
    testing::Values(
        Look{"Undecorated", "0", "0", redecorate(1), [](unsigned long id) { return decorated(id, false); }},
        Look{"Fixed", "1", "0", retitle("Ümlaut ∑"), titled},
        Look{"Sizable", "2", "0", redecorate(0), [](unsigned long id) { return decorated(id); }},
        Look{"Dialog", "3", "0", retype("_NET_WM_WINDOW_TYPE_NORMAL"),
             [](unsigned long id) { return typed(id, "_NET_WM_WINDOW_TYPE_DIALOG"); }},
        Look{"SizableUtility", "5", "0", retitle("Renamed"), titled},
        // A border holder that is no code leaves the design's sizable border.
        Look{"BorderThatIsNoCode", "abc", "0", retype("_NET_WM_WINDOW_TYPE_UTILITY"),
             [](unsigned long id) { return normal(id) && resizable(id) && decorated(id) && titled(id); }},
        Look{"Minimised", "2", "1", retitle("Renamed"), titled},
        Look{"Maximised", "2", "2", retype("_NET_WM_WINDOW_TYPE_UTILITY"), normal}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvane::test
