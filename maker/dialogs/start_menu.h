// The start menu frmSplash: a picture with two picture buttons, one to start making a
// browser and one for the options page, whose check boxes change how the maker behaves.
#pragma once

#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>

#include <string>

#include "platform/form.h"
#include "platform/panel.h"

namespace kelvane {

class Forms;

// Opens an address with the desktop's default handler; "www." addresses get "http://"
// in front. A handler that cannot be started gives a beep. True when one was started.
bool OpenWebPage(const std::string& address);

// A picture button of the start menu: the picture shows it, so the control itself is
// transparent but for a ring while it has the keyboard focus. It is pressed like any
// button (a click, Return or Space) and named for assistive technologies by what the
// picture says; the hand pointer shows over it and nowhere else.
class ClickArea : public Gtk::Button {
public:
    ClickArea(const char* name, const char* description);

protected:
    void on_realize() override;
};

class StartMenu : public Form {
public:
    explicit StartMenu(Forms& forms);

    static constexpr const char* kWebPage = "www.kelvane.example/feedback";

    ClickArea Label1, Label2;  // over the two picture buttons
    Panel Frame1;                  // the options page
    Panel Frame2, Frame3, Frame4;  // its groups
    Gtk::CheckButton Check1, Check2, Check3, Check4, Check5, Check6;

    void Label1_Click();
    void Label2_Click();
    // The four settings options share one handler: apply the option to the main window,
    // hide the position dialog, confirm.
    void Option_Click(Gtk::CheckButton& option);
    void Check5_Click();
    void Check6_Click();

private:
    Forms& forms_;
};

}  // namespace kelvane
