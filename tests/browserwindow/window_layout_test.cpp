// The browser window as a whole: the status bar along its bottom edge at any size, sizes
// that the window system cannot draw, and a border change that keeps the program running.
#include <gtest/gtest.h>
#include <glibmm/main.h>
#include <gtkmm/application.h>

#include "browser/program_window.h"
#include "tests/support/created_program.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kStatusBarHeight = 255 / kTwipsPerPixel;

struct SizeCase {
    float design_width;  // the browser's window, or the full preview's wider one
    const char* width;   // "custom22" and "custom21", twips
    const char* height;
};

class StatusBarPlace : public testing::TestWithParam<SizeCase> {};

// Along the bottom edge at the full width: not at its design top, which would leave it
// floating in a tall window and cut off in a short one, and also after a resize.
TEST_P(StatusBarPlace, SpansTheBottomEdgeWhateverTheSize) {
    BrowserWindow window(GetParam().design_width);
    SettingsRecord record = default_record();
    record.WriteProperty("Text1", std::string("about:blank"));
    record.WriteProperty("url", std::string());
    record.WriteProperty("custom22", std::string(GetParam().width));
    record.WriteProperty("custom21", std::string(GetParam().height));
    record.WriteProperty("custom23", std::string("2"));  // sizable
    Holders holders;
    configure(window, RecordSource(record), &holders);
    ASSERT_TRUE(window.StatusBar1.get_visible());
    window.show();

    const auto along_bottom = [&](int width, int height) {
        return pump_until([&] {
            const auto a = window.StatusBar1.get_allocation();
            return window.get_mapped() && window.get_allocated_width() == width &&
                   window.get_allocated_height() == height && a.get_x() == 0 && a.get_width() == width &&
                   a.get_y() == height - kStatusBarHeight && a.get_height() == kStatusBarHeight;
        });
    };
    const int width = std::stoi(GetParam().width) / kTwipsPerPixel;
    const int height = std::stoi(GetParam().height) / kTwipsPerPixel;
    EXPECT_TRUE(along_bottom(width, height)) << "at " << window.StatusBar1.get_allocation().get_y();

    window.resize(width + 100, height + 60);  // as the user drags the window larger
    EXPECT_TRUE(along_bottom(width + 100, height + 60)) << "at " << window.StatusBar1.get_allocation().get_y();
}

INSTANTIATE_TEST_SUITE_P(Sizes, StatusBarPlace,
                         testing::Values(SizeCase{BrowserWindow::kClientWidth, "9000", "9000"},
                                         SizeCase{BrowserWindow::kClientWidth, "8775", "4500"},
                                         SizeCase{BrowserWindow::kClientWidth, "6000", "5700"},
                                         SizeCase{8685, "8685", "5700"}),
                         [](const auto& info) {
                             return std::string(info.param.design_width == 8685 ? "Preview" : "Browser") +
                                    info.param.width + "x" + info.param.height;
                         });

// X keeps coordinates and sizes in 16 bits: 32767 pixels is 491505 twips at 96 dpi.
TEST(BeyondTheWindowSystem, APositionOrSizeFailsOnlyItsOwnStep) {
    BrowserWindow window;
    SettingsRecord record = default_record();
    record.WriteProperty("Text1", std::string("about:blank"));
    record.WriteProperty("url", std::string());
    const std::pair<const char*, const char*> values[] = {
        {"custom17", "1e7"},     // web view width
        {"custom19", "-1e7"},    // web view top
        {"custom4", "491520"},   // address box width: one pixel too many
        {"custom3", "491505"},   // address box left: the last that X can hold
        {"custom21", "1e7"},     // window height
        {"custom22", "1e30"},    // window width
    };
    for (auto [key, value] : values) record.WriteProperty(key, std::string(value));
    Holders holders;
    configure(window, RecordSource(record), &holders);

    EXPECT_EQ(*window.client().rect(window.WebBrowser1.widget()), design_rect(Control::WebBrowser1));
    EXPECT_EQ(*window.client().rect(window.Text1), (TwipsRect{491505, 120, 3735, 375}));
    EXPECT_EQ(window.width(), BrowserWindow::kClientWidth) << "the design size stays";
    EXPECT_EQ(window.height(), BrowserWindow::kClientHeight);
    EXPECT_EQ(window.get_title(), "Program Name") << "later steps still ran";

    window.show();
    EXPECT_TRUE(pump_until([&] {
        return window.get_mapped() && window.get_allocated_width() == 578 && window.get_allocated_height() == 380;
    }));
}

// A type hint reaches the window manager only by showing the window anew. Hiding the
// window for that would take it from the application that runs it, as a created
// program's does, and so end the application.
TEST(ShownWindow, TakesANewBorderAndTheProgramGoesOnRunning) {
    TempDir folder;
    SettingsRecord record = default_record();
    record.WriteProperty("Text1", std::string("about:blank"));
    record.WriteProperty("url", std::string());
    record.WriteProperty("custom23", std::string("1"));
    make_created_program(folder / "program", record);

    auto app = Gtk::Application::create("", Gio::APPLICATION_NON_UNIQUE);
    ProgramWindow window;
    window.Form_Load(folder / "program");
    enum class Stage { Starting, Changed, Kept } stage = Stage::Starting;
    bool stayed_in_application = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    auto watch = Glib::signal_timeout().connect(
        [&] {
            if (stage == Stage::Starting && window.get_mapped()) {
                window.set_type_hint(Gdk::WINDOW_TYPE_HINT_DIALOG);  // behind the window's back
                stayed_in_application = app->get_windows().size() == 1;
                stage = Stage::Changed;
            } else if (stage == Stage::Changed && window.get_mapped() &&
                       window.get_window()->get_type_hint() == Gdk::WINDOW_TYPE_HINT_NORMAL) {
                stage = Stage::Kept;
                app->quit();
            } else if (std::chrono::steady_clock::now() > deadline) {
                app->quit();
            }
            return true;
        },
        10);
    app->run(window);
    watch.disconnect();
    EXPECT_TRUE(stayed_in_application);
    EXPECT_EQ(stage, Stage::Kept) << "the application ended when the border changed";
    EXPECT_EQ(window.border_style(), 1);
}

}  // namespace
}  // namespace kelvane::test
