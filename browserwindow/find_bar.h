// Finding text in the page: a small bar over the bottom of the page area. Typing
// searches; Enter or F3 goes to the next match, with Shift to the one before; Escape
// closes the bar. It says how many matches the page holds.
#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/eventbox.h>
#include <gtkmm/label.h>

typedef struct _WebKitFindController WebKitFindController;
typedef struct _WebKitWebView WebKitWebView;

namespace kelvane {

class FindBar : public Gtk::EventBox {
public:
    FindBar(WebKitWebView* view, Gtk::Widget& view_widget);
    ~FindBar() override;

    // Shows the bar with the focus in its text, which is selected for typing over.
    void open();
    void next();
    void previous();
    // Hides the bar and its highlights; the page has the focus again.
    void close();

    Glib::ustring text() const { return entry_.get_text(); }
    // "3 matches", "No matches"; empty while there is nothing to find.
    Glib::ustring matches() const { return matches_.get_text(); }

protected:
    void on_realize() override;

private:
    void search();
    bool on_entry_key(GdkEventKey* event);
    static void on_counted(WebKitFindController*, unsigned count, FindBar* self);

    WebKitWebView* view_;
    Gtk::Widget& view_widget_;
    WebKitFindController* finder_;
    Gtk::Box row_;
    Gtk::Entry entry_;
    Gtk::Label matches_;
    Gtk::Button previous_, next_, close_;
};

}  // namespace kelvane
