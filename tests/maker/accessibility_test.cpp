// The maker for people who do not see or use it as drawn: through the toolkit's accessible
// objects every control that takes the focus has a name and each field the caption above
// it; every text reads (4.5:1) on what is behind it, under the light and the dark theme,
// and every caption whole, on every page; message boxes and choosers open over the window
// that opened them, centred on it as far as the screen allows, within the screen. By
// keyboard alone, Tab goes through each window the way its controls read, from the
// top-left, past whatever is covered, and out of the preview's page to the next control;
// the start menu's picture buttons take the focus, show it and start on Space or Return.
// The light walk leaves the README's pictures of the maker in build/screenshots.
#include <atk/atk.h>
#include <gdkmm/pixbuf.h>
#include <glibmm/main.h>
#include <gtkmm/dialog.h>
#include <gtkmm/settings.h>

#include "maker/dialogs/start_menu.h"
#include "maker/preview/preview_window.h"
#include "platform/colors.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/keyboard.h"
#include "tests/support/page_script.h"
#include "tests/support/widgets.h"
#include "tests/support/x_window.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

const char* name_of(GtkWidget* widget) { return atk_object_get_name(gtk_widget_get_accessible(widget)); }

Gdk::RGBA style_colour(GtkWidget* widget, const char* property) {
    GtkStyleContext* style = gtk_widget_get_style_context(widget);
    GdkRGBA* colour = nullptr;
    gtk_style_context_get(style, gtk_style_context_get_state(style), property, &colour, nullptr);
    return Gdk::RGBA(colour, false);
}

// What a person would miss in a widget that shows: its name; its text, where that does not
// read on the nearest background painted behind it (a push button that the theme draws,
// its colour a picture, pairs its text with that itself); part of a caption that the maker
// chose (the full preview shows the user's captions at the user's sizes).
std::string missing(GtkWidget* widget, bool captions) {
    if (!gtk_widget_is_drawable(widget)) return {};
    if (gtk_widget_get_can_focus(widget) && !*(name_of(widget) ?: "")) return std::string("name of ") + G_OBJECT_TYPE_NAME(widget);
    if (!GTK_IS_LABEL(widget) && !GTK_IS_ENTRY(widget)) return {};
    const Gdk::RGBA text = style_colour(widget, "color");
    for (GtkWidget* w = widget; w; w = gtk_widget_get_parent(w)) {
        const Gdk::RGBA back = style_colour(w, "background-color");
        if (back.get_alpha() < 1 && GTK_IS_BUTTON(w) && !GTK_IS_TOGGLE_BUTTON(w)) break;
        if (back.get_alpha() < 1) continue;
        if (contrast_ratio(text, back) < 4.5) return text.to_string() + " on " + back.to_string();
        break;
    }
    if (!captions || !GTK_IS_LABEL(widget)) return {};
    PangoLayout* layout = gtk_label_get_layout(GTK_LABEL(widget));
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    const bool whole = !pango_layout_is_ellipsized(layout) && width <= gtk_widget_get_allocated_width(widget) &&
                       height <= gtk_widget_get_allocated_height(widget);
    return whole ? "" : std::string("part of \"") + gtk_label_get_text(GTK_LABEL(widget)) + '"';
}

// Saves the windows as they stand on the screen, on white.
void save_picture(const std::vector<Gtk::Window*>& windows, const std::string& name) {
    Gdk::Rectangle all;
    for (Gtk::Window* window : windows) {
        ASSERT_TRUE(show_and_wait_drawn(*window));
        Gdk::Rectangle frame;
        window->get_window()->get_frame_extents(frame);
        all = all.has_zero_area() ? frame : all.join(frame);
    }
    auto picture = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, false, 8, all.get_width(), all.get_height());
    picture->fill(0xffffffff);
    for (Gtk::Window* window : windows) {
        auto gdk = window->get_window();
        int x = 0, y = 0;
        gdk->get_origin(x, y);
        Gdk::Pixbuf::create(gdk, 0, 0, gdk->get_width(), gdk->get_height())
            ->copy_area(0, 0, gdk->get_width(), gdk->get_height(), picture, x - all.get_x(), y - all.get_y());
    }
    std::filesystem::create_directories(KELVANE_SCREENSHOTS);
    picture->save(std::string(KELVANE_SCREENSHOTS) + "/" + name + ".png", "png");
}

class Accessibility : public MakerFixture {};

class Themes : public MakerFixture, public testing::WithParamInterface<bool> {
protected:
    Themes() {
        Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme() = GetParam();
        Gtk::Settings::get_default()->property_gtk_enable_animations() = false;  // colours as they end up
    }
    ~Themes() override { Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme() = false; }
};

TEST_P(Themes, EveryControlIsNamedAndEveryTextReadsWholeOnEveryPageFocusedOrNot) {
    if (!GetParam()) {  // the maker as it first opens
        save_picture({&forms.frmSplash()}, "start_menu");
        save_picture({&main(), &positions(), &window_dialog()}, "maker");
    }
    colours = {0x400000};  // dark blue, for the colour preview and the full preview
    main().Command6_Click();
    main().Check1.set_active(true);  // the full preview with its media player
    window_dialog().Command2_Click();
    // The first pages, then the background preview, the position dialog's second page, the start menu's options.
    const std::function<void()> pages[] = {[] {}, [&] { main().Frame3.show(); }, [&] { positions().Command1_Click(); },
                                           [&] { forms.frmSplash().Label2_Click(); }};
    for (const auto& turn : pages) {
        turn();
        for (Gtk::Window* window : std::initializer_list<Gtk::Window*>{&forms.frmSplash(), &main(), &positions(),
                                                                       &window_dialog(), &forms.frmMain()}) {
            for (bool backdrop : {false, true}) {
                // Where the maker paints panels and colours, also in a window without the focus.
                if (backdrop && window != &main() && window != &forms.frmMain()) break;
                backdrop ? window->set_state_flags(Gtk::STATE_FLAG_BACKDROP, false)
                         : window->unset_state_flags(Gtk::STATE_FLAG_BACKDROP);
                ASSERT_TRUE(show_and_wait_drawn(*window));
                std::vector<std::string> found;
                for_each_widget(GTK_WIDGET(window->gobj()), [&](GtkWidget* w) {
                    if (std::string what = missing(w, window != &forms.frmMain()); !what.empty()) found.push_back(what);
                });
                EXPECT_EQ(found, std::vector<std::string>{}) << window->get_title() << ", backdrop " << backdrop;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Each, Themes, testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "Dark" : "Light"); });

TEST_F(Accessibility, FieldsAreNamedByTheCaptionAboveThemDialogsBelongToTheirWindowAndFitTheScreen) {
    for (Placement* page : {&positions().client(), &positions().Frame1.area(), &window_dialog().client()})
        for (Gtk::Widget* field : page->get_children())
            if (dynamic_cast<Gtk::Entry*>(field)) {
                std::string caption;
                for (Gtk::Widget* w : page->get_children())
                    if (auto* label = dynamic_cast<Gtk::Label*>(w); label && page->rect(*label)->left == page->rect(*field)->left &&
                        page->rect(*label)->top + page->rect(*label)->height == page->rect(*field)->top)
                        caption = label->get_text();
                EXPECT_STREQ(name_of(field->gobj()), caption.c_str());
            }
    main().Text2.set_text("typed over");
    EXPECT_STREQ(name_of(GTK_WIDGET(main().Text2.gobj())), "Program Name");
    set_message_handler({});  // the dialogs themselves
    set_dialog_answers({});
    const std::string long_text = "There was an error: " + std::string(300, 'x') + " " + std::string(200, 'y');
    const std::pair<Gtk::Window*, std::function<void()>> openings[] = {
        {&forms.frmSplash(), [&] { forms.frmSplash().Check1.clicked(); }},
        {&main(), [&] { main().Command2_Click(); }},  // a message
        {&main(), [&] { main().Command6_Click(); }},  // the colour chooser
        {&main(), [&] { main().Command5_Click(); }},  // the file chooser
        {&main(), [&] { MsgBox(long_text, vbCritical, "Error", &main()); }}};
    const auto frame = [](Gtk::Window& w) {
        int x = 0, y = 0;
        w.get_window()->get_origin(x, y);
        return std::array{x, y, w.get_allocated_width(), w.get_allocated_height()};
    };
    for (const auto& [owner, open] : openings) {
        ASSERT_TRUE(show_and_wait_drawn(*owner));
        Gtk::Window* transient_for = nullptr;
        std::array<int, 4> dialog{};
        // Looks at the dialog once it shows, then closes it.
        sigc::connection watch = Glib::signal_timeout().connect([&] {
            for (Gtk::Window* w : Gtk::Window::list_toplevels())
                if (auto* shown = dynamic_cast<Gtk::Dialog*>(w); shown && shown->get_mapped()) {
                    transient_for = shown->get_transient_for();
                    dialog = frame(*shown);
                    shown->response(Gtk::RESPONSE_CANCEL);
                    return false;
                }
            return true;
        }, 20);
        open();
        watch.disconnect();
        EXPECT_EQ(transient_for, owner) << owner->get_title();
        // Centred on its window in each direction, moved no further than the screen asks.
        const auto own = frame(*owner);
        const int screen[] = {owner->get_screen()->get_width(), owner->get_screen()->get_height()};
        for (int i : {0, 1})
            EXPECT_NEAR(dialog[i], std::clamp(own[i] + (own[i + 2] - dialog[i + 2]) / 2, 0, screen[i] - dialog[i + 2]), 1) << i;
        EXPECT_LE(dialog[2], screen[0]);
    }
}

using Stops = std::vector<Gtk::Widget*>;

// Tab, as the window's key binding does it, once for each control and once more round.
void expect_tab_order(Gtk::Window& window, const Stops& stops) {
    ASSERT_TRUE(show_and_wait_drawn(window) && focus_window(window));
    window.unset_focus();
    for (std::size_t i = 0; i <= stops.size(); ++i) {
        g_signal_emit_by_name(window.gobj(), "move-focus", GTK_DIR_TAB_FORWARD);
        EXPECT_EQ(window.get_focus(), stops[i % stops.size()]) << window.get_title() << ", stop " << i;
    }
}

class Keyboard : public MakerFixture {};

TEST_F(Keyboard, PictureButtonsStartOnSpaceOrReturnAndTabGoesTheWayTheControlsReadPastWhatIsCovered) {
    StartMenu& menu = forms.frmSplash();
    ASSERT_TRUE(focus_window(menu));
    menu.Label1.grab_focus();
    ASSERT_TRUE(press_keys("Tab"));
    ASSERT_TRUE(pump_until([&] { return menu.Label2.has_focus(); }) && settle(menu));
    // Where the ring runs down the left edge: the same spot of each button's face.
    const auto ring = [&](Gtk::Widget& area) {
        const Gtk::Allocation a = area.get_allocation();
        return pixel(gdk_x11_window_get_xid(menu.get_window()->gobj()), a.get_x() + 4, a.get_y() + a.get_height() / 2);
    };
    EXPECT_NE(ring(menu.Label2), ring(menu.Label1));
    ASSERT_TRUE(press_keys("space"));
    ASSERT_TRUE(pump_until([&] { return menu.Frame1.get_visible(); }));
    menu.Check6.clicked();
    EXPECT_FALSE(menu.Frame1.get_visible());
    menu.Label1.grab_focus();
    ASSERT_TRUE(press_keys("Return"));
    EXPECT_TRUE(pump_until([&] { return !forms.loaded(FormId::frmSplash) && main().get_visible(); }));
    MainWindow& m = main();
    m.WebBrowser1.Navigate("about:blank");
    Stops settings{&m.Text2, &m.Text4, &m.Command6, &m.txtExeFile, &m.Text3,    &m.Text5,    &m.Command5,
                   &m.Text6, &m.Text7, &m.Command8, &m.Command2,   &m.Text8,    &m.Command7, &m.Check1};
    Stops all = settings;
    all.insert(all.end(), {&m.Text1, &m.Command1, &m.Command3, &m.Command4, &m.WebBrowser1.widget()});
    expect_tab_order(m, all);
    Gtk::Widget& page = m.WebBrowser1.widget();
    ASSERT_TRUE(pump_until([&] { return !m.WebBrowser1.loading() && m.WebBrowser1.uri() == "about:blank"; }));
    for (auto [keys, next] : {std::pair<const char*, Gtk::Widget*>{"Tab", &m.Text2}, {"shift+Tab", &m.Command4}}) {
        page.grab_focus();
        ASSERT_TRUE(press_keys(keys));
        ASSERT_TRUE(pump_until([&] { return !page.has_focus(); }));
        run_script(page, "0");  // the page has answered for the key once it answers this
        drain();
        EXPECT_EQ(m.get_focus(), next) << keys;
    }
    m.Frame3.show();  // the background preview covers the preview's controls
    settings.push_back(&m.Command9);
    expect_tab_order(m, settings);
    positions().Command1_Click();  // the second page covers the first
    EXPECT_EQ(positions().Command1.get_label(), "back");
    Stops second;
    for (int n = 11; n <= 20; ++n) second.push_back(&positions().Text(n));
    second.push_back(&positions().Command1);
    expect_tab_order(positions(), second);
}

}  // namespace
}  // namespace kelvane::test
