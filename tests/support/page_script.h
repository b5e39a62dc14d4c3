// Reads what a web view shows by running a script in its page, as a person would read it.
#pragma once

#include <gtkmm/widget.h>

#include <optional>
#include <string>

namespace kelvane::test {

// The script's result as text, running the main loop until it comes; no value when the
// script failed or the page did not answer in time.
std::optional<std::string> run_script(Gtk::Widget& web_view, const std::string& script);
// The text of the page shown, as it reads on the screen.
std::string page_text(Gtk::Widget& web_view);
// The title of the page shown.
std::string page_title(Gtk::Widget& web_view);

}  // namespace kelvane::test
