#include "maker/preview/preview_window.h"

#include "browserwindow/configuration.h"
#include "common/conversions.h"
#include "maker/compiler/compiler.h"
#include "maker/dialogs/window_dialog.h"
#include "maker/forms.h"
#include "maker/mainwindow/main_window.h"

namespace kelvane {

PreviewWindow::PreviewWindow(Forms& forms) : BrowserWindow(kClientWidth), forms_(forms) {
    StatusBar1.show();  // the opening command decides whether it stays
    signal_delete_event().connect([this](GdkEventAny*) {
        forms_.Unload(FormId::frmMain);
        return true;
    });
}

void PreviewWindow::Form_Load() {
    // No holders: the fields themselves are what the title and border follow.
    configure(*this, MakerSettings(forms_), nullptr);
    // Member functions of this window, so the connections end with it.
    forms_.Form1().Text2.signal_changed().connect(sigc::mem_fun(*this, &PreviewWindow::follow_fields));
    forms_.Form3().Text3.signal_changed().connect(sigc::mem_fun(*this, &PreviewWindow::follow_fields));
    property_title().signal_changed().connect(sigc::mem_fun(*this, &PreviewWindow::follow_fields));
    for (const char* property : {"decorated", "resizable", "type-hint"})
        connect_property_changed(property, sigc::mem_fun(*this, &PreviewWindow::follow_fields));
}

void PreviewWindow::follow_fields() {
    const Glib::ustring title = forms_.Form1().Text2.get_text();
    if (get_title() != title) set_title(title);
    // A border field that is not a code leaves the border as it is.
    if (auto border = to_code(Value(forms_.Form3().Text3.get_text().raw()))) set_border_style(*border);
}

}  // namespace kelvane
