#include "browserwindow/find_bar.h"

#include <atkmm/object.h>
#include <webkit2/webkit2.h>

namespace kelvane {
namespace {

constexpr unsigned kFindOptions = WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE | WEBKIT_FIND_OPTIONS_WRAP_AROUND;
constexpr unsigned kMostMatches = 1000;  // counted up to; more say "1000 or more"

Glib::ustring matches_text(unsigned count) {
    if (count == 0) return "No matches";
    if (count == 1) return "1 match";
    if (count >= kMostMatches) return std::to_string(kMostMatches) + " or more matches";
    return std::to_string(count) + " matches";
}

}  // namespace

FindBar::FindBar(WebKitWebView* view, Gtk::Widget& view_widget)
    : view_(view), view_widget_(view_widget), finder_(webkit_web_view_get_find_controller(view)),
      row_(Gtk::ORIENTATION_HORIZONTAL, 6), previous_("Previous"), next_("Next"), close_("Close") {
    get_style_context()->add_class("background");
    entry_.set_placeholder_text("Find in page");
    entry_.get_accessible()->set_name("Find in page");
    entry_.set_width_chars(20);
    close_.set_tooltip_text("Close the find bar (Escape)");
    next_.set_tooltip_text("Next match (Enter, F3)");
    previous_.set_tooltip_text("Previous match (Shift+Enter, Shift+F3)");
    row_.set_border_width(4);
    row_.pack_start(entry_, Gtk::PACK_SHRINK);
    row_.pack_start(previous_, Gtk::PACK_SHRINK);
    row_.pack_start(next_, Gtk::PACK_SHRINK);
    row_.pack_start(matches_, Gtk::PACK_SHRINK);
    row_.pack_end(close_, Gtk::PACK_SHRINK);
    add(row_);
    row_.show_all();

    entry_.signal_changed().connect(sigc::mem_fun(*this, &FindBar::search));
    entry_.signal_key_press_event().connect(sigc::mem_fun(*this, &FindBar::on_entry_key), false);
    previous_.signal_clicked().connect(sigc::mem_fun(*this, &FindBar::previous));
    next_.signal_clicked().connect(sigc::mem_fun(*this, &FindBar::next));
    close_.signal_clicked().connect(sigc::mem_fun(*this, &FindBar::close));
    g_signal_connect(finder_, "counted-matches", G_CALLBACK(on_counted), this);
}

FindBar::~FindBar() { g_signal_handlers_disconnect_by_data(finder_, this); }

void FindBar::on_realize() {
    Gtk::EventBox::on_realize();
    // In front of the page, whose view has a window of its own, and behind whatever was
    // in front of the page.
    if (auto window = get_window(), page = view_widget_.get_window(); window && page) window->restack(page, true);
}

void FindBar::open() {
    show();
    entry_.grab_focus();  // which selects the text there
}

void FindBar::search() {
    const Glib::ustring text = entry_.get_text();
    if (text.empty()) {
        webkit_find_controller_search_finish(finder_);
        matches_.set_text("");
        return;
    }
    webkit_find_controller_search(finder_, text.c_str(), kFindOptions, kMostMatches);
    webkit_find_controller_count_matches(finder_, text.c_str(), kFindOptions, kMostMatches);
}

void FindBar::next() {
    if (!entry_.get_text().empty()) webkit_find_controller_search_next(finder_);
}

void FindBar::previous() {
    if (!entry_.get_text().empty()) webkit_find_controller_search_previous(finder_);
}

void FindBar::close() {
    webkit_find_controller_search_finish(finder_);
    hide();
    view_widget_.grab_focus();
}

bool FindBar::on_entry_key(GdkEventKey* event) {
    const bool shift = event->state & GDK_SHIFT_MASK;
    switch (event->keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_F3:
        shift ? previous() : next();
        return true;
    case GDK_KEY_Escape:
        close();
        return true;
    default:
        return false;
    }
}

void FindBar::on_counted(WebKitFindController*, unsigned count, FindBar* self) {
    if (!self->entry_.get_text().empty()) self->matches_.set_text(matches_text(count));
}

}  // namespace kelvane
