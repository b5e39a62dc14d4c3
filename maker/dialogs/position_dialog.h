// The position dialog Form2: the twenty position fields of the browser's five controls,
// on two pages. Every change of a field moves or sizes its control in the main window's
// preview at once.
#pragma once

#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>

#include <array>

#include "platform/form.h"
#include "platform/panel.h"

namespace kelvane {

class Forms;

class PositionDialog : public Form {
public:
    explicit PositionDialog(Forms& forms);

    // Field Text n, n from 1 to 20.
    Gtk::Entry& Text(int n) { return fields_.at(n - 1); }
    Panel Frame1;  // page 2, in front of page 1
    Gtk::Button Command1;

    void Text_Change(int n);
    void Command1_Click();
    void Form_Unload();

private:
    Forms& forms_;
    std::array<Gtk::Entry, 20> fields_;
    std::array<Gtk::Label, 20> labels_;
};

}  // namespace kelvane
