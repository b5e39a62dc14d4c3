// The dialogs a page shows by script: a message, a question to confirm, a line of text to
// give. Unlike the program's own message boxes they hold up nothing but their window: the
// program goes on, other windows take input, the window itself can still be closed, and
// the answer comes later. Like every dialog they go through here, so that tests can
// answer them instead of a person.
#pragma once

#include <glibmm/ustring.h>

#include <functional>
#include <memory>

namespace Gtk {
class Window;
}

namespace kelvane {

struct PageDialog {
    enum class Kind { Alert, Confirm, Prompt };
    Kind kind = Kind::Alert;
    Glib::ustring title;         // who asks
    Glib::ustring text;
    Glib::ustring default_text;  // what a prompt's line starts with
    bool offer_to_stop = false;  // also offers to let the page show no more dialogs
};

struct PageDialogAnswer {
    bool ok = false;     // OK, rather than Cancel or a closed dialog
    Glib::ustring text;  // the prompt's line
    bool stop = false;   // the page may show no more dialogs
};

// An open dialog; destroying it closes the dialog unanswered.
class PageDialogBox {
public:
    virtual ~PageDialogBox() = default;
};

// Shows the dialog over `parent`, whose controls take no input until it is answered, and
// returns at once. `answered` runs once, when the user answers, unless the box is destroyed
// first; it must not destroy the box. When tests answer, it runs before this returns and
// no box is returned.
std::unique_ptr<PageDialogBox> show_page_dialog(Gtk::Window* parent, const PageDialog& dialog,
                                                std::function<void(const PageDialogAnswer&)> answered);

// Answers in place of the dialogs; an empty function brings the dialogs back.
void set_page_dialog_answers(std::function<PageDialogAnswer(const PageDialog&)> answers);

}  // namespace kelvane
