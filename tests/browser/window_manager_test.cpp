// Created programs under a real window manager, looked at from outside: the size of
// their frame and client area, their window state, the status bar along the bottom edge,
// and the title and border that they keep whoever changes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/support/created_program.h"
#include "tests/support/process.h"
#include "tests/support/pump.h"
#include "tests/support/window_manager.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

constexpr int kTwipsPerPixel = 15;
constexpr unsigned long kBlue = 0x0000FF;         // the program colour below
constexpr int kStatusBarHeight = 255 / kTwipsPerPixel;

class UnderWindowManager : public testing::Test {
protected:
    UnderWindowManager() {
        record = default_record();
        record.WriteProperty("Text1", std::string("about:blank"));
        record.WriteProperty("url", std::string());
        record.WriteProperty("Caption", std::string("Kept Title"));
        record.WriteProperty("color", std::string("16711680"));  // 0x00BBGGRR: blue
    }

    // Starts the created program and finds its window; the test ends on failure.
    void start() {
        ASSERT_TRUE(manager.running()) << "openbox did not start";
        make_created_program(folder / "program", record);
        program = std::make_unique<Process>(folder / "program");
        auto id = managed_window(program->pid());
        ASSERT_TRUE(id) << "no window managed";
        window = *id;
    }

    bool eventually(const std::function<bool()>& done) { return pump_until(done); }

    WindowManager manager;
    TempDir folder;
    SettingsRecord record;
    std::unique_ptr<Process> program;
    unsigned long window = 0;
};

// The configured size (8775 by 6180 twips) is the outer size, frame included, whatever
// frame the border style gives; the status bar then lies along the client area's bottom
// edge, in the desktop's colours, leaving no band under it.
class OuterSize : public UnderWindowManager, public testing::WithParamInterface<const char*> {};

TEST_P(OuterSize, FrameIncludedHasTheConfiguredSizeAndTheStatusBarEndsIt) {
    record.WriteProperty("custom23", std::string(GetParam()));
    start();
    const int outer_width = 8775 / kTwipsPerPixel, outer_height = 6180 / kTwipsPerPixel;
    std::array<long, 4> frame{};
    std::optional<XWindowInfo> info;
    EXPECT_TRUE(eventually([&] {
        auto extents = frame_extents(window);
        info = window_info(window);
        if (!extents || !info) return false;
        frame = *extents;
        return info->width + frame[0] + frame[1] == outer_width && info->height + frame[2] + frame[3] == outer_height;
    })) << "client " << (info ? info->width : 0) << "x" << (info ? info->height : 0) << ", frame " << frame[0] << ","
        << frame[1] << "," << frame[2] << "," << frame[3];
    if (GetParam() != std::string("0")) {
        EXPECT_GT(frame[2], 0) << "a decorated window has a title bar";
    }
    ASSERT_TRUE(info);

    const int middle = info->width / 2;
    const auto bottom_row = [&] { return pixel(window, middle, info->height - 2); };
    const auto above_bar = [&] { return pixel(window, middle, info->height - kStatusBarHeight - 3); };
    EXPECT_TRUE(eventually([&] { return above_bar() == kBlue; })) << "the window itself is in the program colour";
    EXPECT_TRUE(eventually([&] { return bottom_row() && *bottom_row() != kBlue; }))
        << "the status bar reaches the bottom edge in colours of its own";
}

INSTANTIATE_TEST_SUITE_P(BorderStyles, OuterSize, testing::Values("0", "1", "2", "3", "5"),
                         [](const auto& info) { return std::string("Border") + info.param; });

struct StateCase {
    const char* name;
    const char* code;
    bool iconic, maximised;
};

class WindowState : public UnderWindowManager, public testing::WithParamInterface<StateCase> {};

TEST_P(WindowState, OpensNormalMinimisedOrMaximised) {
    record.WriteProperty("custom23", std::string("2"));
    record.WriteProperty("custom25", std::string(GetParam().code));
    start();
    const auto has = [&](const char* state) {
        const auto states = atom_list(window, "_NET_WM_STATE");
        return std::find(states.begin(), states.end(), state) != states.end();
    };
    ASSERT_TRUE(eventually([&] { return wm_state(window).has_value(); }));
    if (GetParam().iconic) {
        EXPECT_TRUE(eventually([&] { return wm_state(window) == 3 && has("_NET_WM_STATE_HIDDEN"); }));
    } else {
        EXPECT_TRUE(eventually([&] { return wm_state(window) == 1; }));
        EXPECT_FALSE(has("_NET_WM_STATE_HIDDEN"));
    }
    if (GetParam().maximised) {
        EXPECT_TRUE(eventually([&] { return has("_NET_WM_STATE_MAXIMIZED_VERT") && has("_NET_WM_STATE_MAXIMIZED_HORZ"); }));
        // Maximised, the window fills the screen (which has no panels), frame included.
        const auto [screen_width, screen_height] = screen_size();
        EXPECT_TRUE(eventually([&] {
            auto info = window_info(window);
            auto frame = frame_extents(window);
            return info && frame && info->width + (*frame)[0] + (*frame)[1] == screen_width &&
                   info->height + (*frame)[2] + (*frame)[3] == screen_height;
        }));
    } else {
        EXPECT_FALSE(has("_NET_WM_STATE_MAXIMIZED_VERT"));
    }
    EXPECT_TRUE(program->running());
}

INSTANTIATE_TEST_SUITE_P(Codes, WindowState,
                         testing::Values(StateCase{"Normal", "0", false, false}, StateCase{"Minimised", "1", true, false},
                                         StateCase{"Maximised", "2", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Another program changes one of the window's properties; the created program writes
// its own value back and goes on running.
struct OutsideChange {
    const char* name;
    const char* border;
    std::function<bool(unsigned long)> change;
    std::function<bool(unsigned long)> restored;
};

class BroughtBack : public UnderWindowManager, public testing::WithParamInterface<OutsideChange> {};

TEST_P(BroughtBack, WhateverAnotherProgramChanges) {
    record.WriteProperty("custom23", std::string(GetParam().border));
    start();
    ASSERT_TRUE(eventually([&] { return window_info(window) && window_info(window)->title == "Kept Title"; }));
    ASSERT_TRUE(eventually([&] { return GetParam().restored(window); })) << "as configured before the change";
    ASSERT_TRUE(GetParam().change(window));
    EXPECT_TRUE(eventually([&] { return GetParam().restored(window); }));
    EXPECT_EQ(window_info(window)->title, "Kept Title");
    EXPECT_TRUE(program->running());
}

bool titled(unsigned long id) { return window_info(id)->title == "Kept Title" && wm_name(id) == "Kept Title"; }
bool decorated(unsigned long id) {
    const auto d = motif_decorations(id);
    const auto frame = frame_extents(id);
    return (!d || *d == 1) && frame && (*frame)[2] > 0;
}
bool undecorated(unsigned long id) {
    const auto frame = frame_extents(id);
    return motif_decorations(id) == 0 && frame && (*frame)[2] == 0;
}
bool normal_type(unsigned long id) { return atom_list(id, "_NET_WM_WINDOW_TYPE") == std::vector<std::string>{"_NET_WM_WINDOW_TYPE_NORMAL"}; }
bool dialog_type(unsigned long id) { return atom_list(id, "_NET_WM_WINDOW_TYPE") == std::vector<std::string>{"_NET_WM_WINDOW_TYPE_DIALOG"}; }

INSTANTIATE_TEST_SUITE_P(
    Properties, BroughtBack,
    testing::Values(
        OutsideChange{"Title", "1", [](unsigned long id) { return set_title(id, "Ümlaut ∑"); }, titled},
        // A border holder that is no code leaves the design's sizable border.
        OutsideChange{"TitleWithABorderThatIsNoCode", "abc", [](unsigned long id) { return set_title(id, "Renamed"); },
                      [](unsigned long id) { return titled(id) && resizable(id) && decorated(id) && normal_type(id); }},
        OutsideChange{"Decorations", "2", [](unsigned long id) { return set_motif_decorations(id, 0); }, decorated},
        OutsideChange{"NoDecorations", "0", [](unsigned long id) { return set_motif_decorations(id, 1); }, undecorated},
        OutsideChange{"WindowType", "1",
                      [](unsigned long id) { return set_window_type(id, "_NET_WM_WINDOW_TYPE_UTILITY"); }, normal_type},
        OutsideChange{"DialogType", "3",
                      [](unsigned long id) { return set_window_type(id, "_NET_WM_WINDOW_TYPE_NORMAL"); }, dialog_type}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvane::test
