#include "platform/message_box.h"

#include <gtkmm/messagedialog.h>

#include "platform/dialog_owner.h"

namespace kelvane {
namespace {

Glib::ustring& application_title() {
    static Glib::ustring title;
    return title;
}

std::function<void(const Message&)>& message_handler() {
    static std::function<void(const Message&)> handler;
    return handler;
}

void show_dialog(const Message& message) {
    const Gtk::MessageType type = message.style == vbCritical      ? Gtk::MESSAGE_ERROR
                                  : message.style == vbInformation ? Gtk::MESSAGE_INFO
                                                                   : Gtk::MESSAGE_OTHER;
    Gtk::MessageDialog dialog(message.text, false, type, Gtk::BUTTONS_OK, true);
    dialog.set_title(message.title);
    set_owner(dialog, message.owner);
    wrap_message(dialog);
    dialog.run();
}

}  // namespace

void MsgBox(const Glib::ustring& text, int style, const Glib::ustring& title, Gtk::Window* owner) {
    const Message message{text, style, title.empty() ? application_title() : title, owner ? owner : focused_window()};
    if (message_handler())
        message_handler()(message);
    else
        show_dialog(message);
}

void set_application_title(const Glib::ustring& title) { application_title() = title; }

void set_message_handler(std::function<void(const Message&)> handler) { message_handler() = std::move(handler); }

}  // namespace kelvane
