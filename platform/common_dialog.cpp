#include "platform/common_dialog.h"

#include <gtkmm/colorchooserdialog.h>
#include <gtkmm/filechooserdialog.h>

#include "platform/colors.h"
#include "platform/dialog_owner.h"

namespace kelvane {
namespace {

DialogAnswers& answers() {
    static DialogAnswers a;
    return a;
}

std::optional<std::string> run_open_dialog(Gtk::Window* owner) {
    Gtk::FileChooserDialog dialog("Open", Gtk::FILE_CHOOSER_ACTION_OPEN);
    set_owner(dialog, owner);
    dialog.add_button("_Cancel", Gtk::RESPONSE_CANCEL);
    dialog.add_button("_Open", Gtk::RESPONSE_ACCEPT);
    if (dialog.run() != Gtk::RESPONSE_ACCEPT) return std::nullopt;
    return dialog.get_filename();
}

std::optional<std::int32_t> run_colour_dialog(Gtk::Window* owner) {
    Gtk::ColorChooserDialog dialog;
    set_owner(dialog, owner);
    dialog.set_use_alpha(false);
    if (dialog.run() != Gtk::RESPONSE_OK) return std::nullopt;
    return rgba_to_colour(dialog.get_rgba());
}

}  // namespace

bool CommonDialog::ShowOpen() {
    auto chosen = answers().open ? answers().open() : run_open_dialog(owner_);
    if (!chosen) return !CancelError;
    FileName = *chosen;
    return true;
}

bool CommonDialog::ShowColor() {
    auto chosen = answers().colour ? answers().colour() : run_colour_dialog(owner_);
    if (!chosen) return !CancelError;
    Color = *chosen;
    return true;
}

void set_dialog_answers(DialogAnswers a) { answers() = std::move(a); }

}  // namespace kelvane
