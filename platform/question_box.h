// Questions put to the user: OK or Cancel, a line of text, a name and password. Like the
// message boxes, every one goes through here, so that tests can answer them instead of a
// person.
#pragma once

#include <glibmm/ustring.h>

#include <functional>
#include <optional>

namespace Gtk {
class Window;
}

namespace kelvane {

struct Question {
    Glib::ustring title;
    Glib::ustring text;
    Glib::ustring default_text;  // the text or the name the answer starts with
    Gtk::Window* owner = nullptr;  // the window that asks; none: the window that has the focus
};

struct Credentials {
    Glib::ustring user;
    Glib::ustring password;
};

// True for OK, false for Cancel or a closed dialog.
bool ConfirmBox(const Question& question);
// True for Yes. No is the default answer, that of Enter and of a closed dialog: for
// questions whose "yes" lets something happen that cannot be taken back.
bool YesNoBox(const Question& question);
// The text typed, or no value for Cancel.
std::optional<Glib::ustring> InputBox(const Question& question);
// The name and password typed, or no value for Cancel.
std::optional<Credentials> CredentialsBox(const Question& question);

// Answers in place of the dialogs; empty functions bring the dialogs back.
struct QuestionAnswers {
    std::function<bool(const Question&)> confirm;
    std::function<std::optional<Glib::ustring>(const Question&)> input;
    std::function<std::optional<Credentials>(const Question&)> credentials;
    std::function<bool(const Question&)> yes_no;
};
void set_question_answers(QuestionAnswers answers);

}  // namespace kelvane
