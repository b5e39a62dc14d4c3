#include "maker/dialogs/window_dialog.h"

#include "maker/dialog_font.h"
#include "maker/dialogs/field_column.h"
#include "maker/forms.h"
#include "maker/mainwindow/main_window.h"
#include "maker/preview/preview_window.h"
#include "platform/caption.h"
#include "platform/message_box.h"

namespace kelvane {

WindowDialog::WindowDialog(Forms& forms) : Form(1995, 5955), forms_(forms) {
    set_title("Window");
    use_dialog_font(*this);
    set_border_style(vbFixedSingle);
    struct Field {
        Gtk::Entry& entry;
        const char* label;
        const char* text;
        const char* tip;
    };
    // Top to bottom: the height comes first, then the width.
    const Field fields[] = {
        {Text2, "Your programs Height", "6180", nullptr},
        {Text1, "Your programs Width", "8775", nullptr},
        {Text3, "Your programs Border", "1", "See read me for a list of border codes"},
        {Text4, "Your programs Mouse ", "0", "see readme for a list of mouse pointer codes"},
        {Text5, "Window state", "0", "see readme for codes and descriptions"},
        {Text6, "Show browser Adress bar", "True", "see readme for codes and descriptions"},
    };
    for (std::size_t k = 0; k < std::size(fields); ++k) {
        const Field& f = fields[k];
        put_field(client(), static_cast<int>(k), labels_[k], f.label, f.entry, f.text);
        if (f.tip) f.entry.set_tooltip_text(f.tip);
    }
    set_caption(Command2, "View full preview of browser");
    wrap_caption(Command2);
    client().put(Command2, {120, 5400, 1815, 495});
    client().show_all();

    Text3.signal_changed().connect(sigc::mem_fun(*this, &WindowDialog::Text3_Change));
    Command2.signal_clicked().connect(sigc::mem_fun(*this, &WindowDialog::Command2_Click));
    signal_delete_event().connect([this](GdkEventAny*) {
        forms_.Unload(FormId::Form3);
        return true;
    });
}

void WindowDialog::Command2_Click() {
    if (forms_.Form1().Text5.get_text().raw() == MainWindow::kNoColour) {
        MsgBox("Please select a program color", vbOKOnly, {}, this);
        return;
    }
    const bool status_bar = Text6.get_text().raw() == "True";
    // Loads the preview on first reference; an open one is not configured again.
    PreviewWindow& preview = forms_.frmMain();
    preview.StatusBar1.set_visible(status_bar);
    preview.show();
}

void WindowDialog::Form_Unload() {
    forms_.Unload(FormId::Form1);
    forms_.Unload(FormId::Form2);
    forms_.Unload(FormId::Form3);
    forms_.Unload(FormId::frmMain);
}

}  // namespace kelvane
