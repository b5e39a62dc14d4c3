// The window dialog Form3: the created browser's window size, border, pointer, state at
// start and status bar flag. Nothing here applies while the user types.
#pragma once

#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>

#include <array>

#include "platform/form.h"

namespace kelvane {

class Forms;

class WindowDialog : public Form {
public:
    explicit WindowDialog(Forms& forms);

    Gtk::Entry Text1, Text2, Text3, Text4, Text5, Text6;
    Gtk::Button Command2;  // opens the full preview

    void Text3_Change() {}  // a changed border code has no effect of its own
    // Opens the full preview, or shows it again with the status bar as the flag says.
    void Command2_Click();
    void Form_Unload();

private:
    Forms& forms_;
    std::array<Gtk::Label, 6> labels_;
};

}  // namespace kelvane
