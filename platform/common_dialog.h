// The common dialog: choosing a file to open or a colour, with GTK's own dialogs. Tests
// answer it through set_dialog_answers instead of a person.
#pragma once

#include <glibmm/ustring.h>

#include <cstdint>
#include <functional>
#include <optional>

namespace Gtk {
class Window;
}

namespace kelvane {

class CommonDialog {
public:
    // The dialogs belong to the window that the control sits on (when none, the window
    // that has the focus).
    explicit CommonDialog(Gtk::Window* owner = nullptr) : owner_(owner) {}

    // With CancelError set, a cancelled dialog is a failure: Show… returns false.
    bool CancelError = false;
    Glib::ustring FileName;   // the last file chosen
    std::int32_t Color = 0;   // the last colour chosen, 0x00BBGGRR

    // Each returns false only for a cancel under CancelError; a cancel keeps the last
    // file name or colour.
    bool ShowOpen();
    bool ShowColor();

private:
    Gtk::Window* owner_;
};

// Answers in place of the dialogs: a file name or colour, or no value for a cancel. Empty
// functions bring the dialogs back.
struct DialogAnswers {
    std::function<std::optional<std::string>()> open;
    std::function<std::optional<std::int32_t>()> colour;
};
void set_dialog_answers(DialogAnswers answers);

}  // namespace kelvane
