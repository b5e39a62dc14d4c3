// Every text in the main window and the full preview reads (4.5:1) on what is painted behind
// it, the theme's panels on a window of a chosen colour included, under a light and a dark
// theme, also in a window without the focus.
#include <gtkmm/settings.h>

#include "maker/dialogs/window_dialog.h"
#include "maker/mainwindow/main_window.h"
#include "maker/preview/preview_window.h"
#include "platform/colors.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/widgets.h"

namespace kelvane::test {
namespace {

Gdk::RGBA style_colour(GtkWidget* widget, const char* property) {
    GtkStyleContext* style = gtk_widget_get_style_context(widget);
    GdkRGBA* colour = nullptr;
    gtk_style_context_get(style, gtk_style_context_get_state(style), property, &colour, nullptr);
    return Gdk::RGBA(colour, false);
}

// Each text against the nearest background painted behind it; a push button that the theme
// draws (its colour a picture) pairs its text with that itself.
std::vector<std::string> unreadable_texts(Gtk::Window& window) {
    std::vector<std::string> found;
    for_each_widget(GTK_WIDGET(window.gobj()), [&](GtkWidget* widget) {
        if (!gtk_widget_is_drawable(widget) || !(GTK_IS_LABEL(widget) || GTK_IS_ENTRY(widget))) return;
        const Gdk::RGBA text = style_colour(widget, "color");
        for (GtkWidget* w = widget; w; w = gtk_widget_get_parent(w)) {
            const Gdk::RGBA back = style_colour(w, "background-color");
            if (back.get_alpha() < 1 && GTK_IS_BUTTON(w) && !GTK_IS_TOGGLE_BUTTON(w)) break;
            if (back.get_alpha() < 1) continue;
            if (contrast_ratio(text, back) < 4.5) found.push_back(text.to_string() + " on " + back.to_string());
            break;
        }
    });
    return found;
}

class PanelText : public MakerFixture, public testing::WithParamInterface<bool> {
protected:
    ~PanelText() override { Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme() = false; }
};

TEST_P(PanelText, ReadsOnWhatIsBehindItInEveryState) {
    Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme() = GetParam();
    Gtk::Settings::get_default()->property_gtk_enable_animations() = false;  // colours as they end up
    MainWindow& main = forms.Form1();
    colours = {0x400000};  // dark blue, for the colour preview and the browser
    main.Command6_Click();
    main.Frame3.show();
    forms.Form3().Command2_Click();
    for (Gtk::Window* window : std::initializer_list<Gtk::Window*>{&main, &forms.frmMain()}) {
        for (bool backdrop : {false, true}) {
            backdrop ? window->set_state_flags(Gtk::STATE_FLAG_BACKDROP, false)
                     : window->unset_state_flags(Gtk::STATE_FLAG_BACKDROP);
            ASSERT_TRUE(show_and_wait_drawn(*window));
            EXPECT_EQ(unreadable_texts(*window), std::vector<std::string>{}) << window->get_title() << ", backdrop " << backdrop;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Themes, PanelText, testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Dark" : "Light"); });

}  // namespace
}  // namespace kelvane::test
