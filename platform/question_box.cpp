#include "platform/question_box.h"

#include <gtkmm/entry.h>
#include <gtkmm/grid.h>
#include <gtkmm/label.h>
#include <gtkmm/messagedialog.h>

#include <map>

#include "platform/dialog_owner.h"

namespace kelvane {
namespace {

QuestionAnswers& answers() {
    static QuestionAnswers a;
    return a;
}

// A question with OK and Cancel; its text is shown as it is, never read as markup.
class QuestionDialog : public Gtk::MessageDialog {
public:
    explicit QuestionDialog(const Question& question)
        : Gtk::MessageDialog(question.text, false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_OK_CANCEL, true) {
        set_title(question.title);
        set_owner(*this, question.owner);
        wrap_message(*this);
        set_default_response(Gtk::RESPONSE_OK);
        fields_.set_row_spacing(6);
        fields_.set_column_spacing(12);
        get_message_area()->pack_start(fields_, Gtk::PACK_SHRINK);
    }

    // A labelled line of text below the question; Enter in it answers OK.
    Gtk::Entry& add_field(const Glib::ustring& label, const Glib::ustring& text) {
        const int row = static_cast<int>(entries_.size());
        auto& entry = entries_[row];
        entry.set_text(text);
        entry.set_activates_default(true);
        entry.set_hexpand(true);
        if (!label.empty()) fields_.attach(*Gtk::make_managed<Gtk::Label>(label, Gtk::ALIGN_START), 0, row);
        fields_.attach(entry, 1, row);
        fields_.show_all();
        return entry;
    }

    bool ask() { return run() == Gtk::RESPONSE_OK; }

private:
    Gtk::Grid fields_;
    std::map<int, Gtk::Entry> entries_;
};

}  // namespace

bool ConfirmBox(const Question& question) {
    if (answers().confirm) return answers().confirm(question);
    return QuestionDialog(question).ask();
}

bool YesNoBox(const Question& question) {
    if (answers().yes_no) return answers().yes_no(question);
    Gtk::MessageDialog dialog(question.text, false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_YES_NO, true);
    dialog.set_title(question.title);
    set_owner(dialog, question.owner);
    wrap_message(dialog);
    dialog.set_default_response(Gtk::RESPONSE_NO);
    // GTK puts the focus on the first button when the dialog maps; No is to have it.
    dialog.signal_map().connect([&dialog] { dialog.get_widget_for_response(Gtk::RESPONSE_NO)->grab_focus(); }, true);
    return dialog.run() == Gtk::RESPONSE_YES;
}

std::optional<Glib::ustring> InputBox(const Question& question) {
    if (answers().input) return answers().input(question);
    QuestionDialog dialog(question);
    Gtk::Entry& entry = dialog.add_field({}, question.default_text);
    if (!dialog.ask()) return std::nullopt;
    return entry.get_text();
}

std::optional<Credentials> CredentialsBox(const Question& question) {
    if (answers().credentials) return answers().credentials(question);
    QuestionDialog dialog(question);
    Gtk::Entry& user = dialog.add_field("Name", question.default_text);
    Gtk::Entry& password = dialog.add_field("Password", {});
    password.set_visibility(false);
    password.set_input_purpose(Gtk::INPUT_PURPOSE_PASSWORD);
    if (!question.default_text.empty()) password.grab_focus();
    if (!dialog.ask()) return std::nullopt;
    return Credentials{user.get_text(), password.get_text()};
}

void set_question_answers(QuestionAnswers a) { answers() = std::move(a); }

}  // namespace kelvane
