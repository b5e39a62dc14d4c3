#include "platform/page_dialog.h"

#include <gtkmm/checkbutton.h>
#include <gtkmm/entry.h>
#include <gtkmm/messagedialog.h>

namespace kelvane {
namespace {

std::function<PageDialogAnswer(const PageDialog&)>& answers() {
    static std::function<PageDialogAnswer(const PageDialog&)> a;
    return a;
}

// Not modal in GTK's sense: a modal dialog takes every window's input, the close box of its
// own window included, so a page that keeps opening dialogs could keep the user from
// leaving. The window's controls are made insensitive instead.
class Box : public PageDialogBox {
public:
    Box(Gtk::Window* parent, const PageDialog& page, std::function<void(const PageDialogAnswer&)> answered)
        : dialog_(page.text, false, page.kind == PageDialog::Kind::Alert ? Gtk::MESSAGE_OTHER : Gtk::MESSAGE_QUESTION,
                  page.kind == PageDialog::Kind::Alert ? Gtk::BUTTONS_OK : Gtk::BUTTONS_OK_CANCEL, false),
          stop_("Don't let this page show more dialogs"), answered_(std::move(answered)) {
        dialog_.set_title(page.title);
        dialog_.set_default_response(Gtk::RESPONSE_OK);
        if (parent) {
            dialog_.set_transient_for(*parent);
            if (Gtk::Widget* controls = parent->get_child(); controls && controls->get_sensitive()) {
                blocked_ = controls->gobj();
                g_object_add_weak_pointer(G_OBJECT(blocked_), reinterpret_cast<gpointer*>(&blocked_));
                gtk_widget_set_sensitive(blocked_, FALSE);
            }
        }
        Gtk::Box& area = *dialog_.get_message_area();
        if (page.kind == PageDialog::Kind::Prompt) {
            entry_.set_text(page.default_text);
            entry_.set_activates_default(true);
            area.pack_start(entry_, Gtk::PACK_SHRINK);
            entry_.show();
        }
        if (page.offer_to_stop) {
            area.pack_start(stop_, Gtk::PACK_SHRINK);
            stop_.show();
        }
        dialog_.signal_response().connect([this](int response) {
            unblock();
            dialog_.hide();
            if (auto answered = std::exchange(answered_, nullptr))
                answered({response == Gtk::RESPONSE_OK, entry_.get_text(), stop_.get_active()});
        });
        dialog_.present();
        if (page.kind == PageDialog::Kind::Prompt) entry_.grab_focus();
    }

    ~Box() override { unblock(); }

private:
    void unblock() {
        if (!blocked_) return;
        gtk_widget_set_sensitive(blocked_, TRUE);
        g_object_remove_weak_pointer(G_OBJECT(blocked_), reinterpret_cast<gpointer*>(&blocked_));
        blocked_ = nullptr;
    }

    Gtk::MessageDialog dialog_;
    Gtk::Entry entry_;
    Gtk::CheckButton stop_;
    std::function<void(const PageDialogAnswer&)> answered_;
    GtkWidget* blocked_ = nullptr;  // the parent's controls, while this keeps them from input
};

}  // namespace

std::unique_ptr<PageDialogBox> show_page_dialog(Gtk::Window* parent, const PageDialog& dialog,
                                                std::function<void(const PageDialogAnswer&)> answered) {
    if (answers()) {
        answered(answers()(dialog));
        return nullptr;
    }
    return std::make_unique<Box>(parent, dialog, std::move(answered));
}

void set_page_dialog_answers(std::function<PageDialogAnswer(const PageDialog&)> a) { answers() = std::move(a); }

}  // namespace kelvane
