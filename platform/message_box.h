// Message boxes. Every one goes through MsgBox, so that tests can record the messages
// instead of answering a dialog.
#pragma once

#include <glibmm/ustring.h>

#include <functional>

namespace Gtk {
class Window;
}

namespace kelvane {

enum MsgBoxStyle { vbOKOnly = 0, vbCritical = 16, vbInformation = 64 };

struct Message {
    Glib::ustring text;
    int style = vbOKOnly;
    Glib::ustring title;  // the application title when the caller names none
    Gtk::Window* owner = nullptr;  // the window it belongs to; none when no window had the focus
};

// Shows a modal message box over the window that asks (when none is named, the window
// that has the focus) and returns when the user has closed it.
void MsgBox(const Glib::ustring& text, int style = vbOKOnly, const Glib::ustring& title = {},
            Gtk::Window* owner = nullptr);

// The title of message boxes that name none of their own.
void set_application_title(const Glib::ustring& title);

// Replaces the dialog with a handler (for tests); an empty handler brings the dialog back.
void set_message_handler(std::function<void(const Message&)> handler);

}  // namespace kelvane
