#include "maker/preview/preview_window.h"

#include "browserwindow/configuration.h"
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
    hold_title_and_border([this] { return forms_.Form1().Text2.get_text(); },
                          [this] { return forms_.Form3().Text3.get_text(); });
    // Member functions of this window, so the connections end with it.
    forms_.Form1().Text2.signal_changed().connect(sigc::mem_fun(*this, &PreviewWindow::keep_title_and_border));
    forms_.Form3().Text3.signal_changed().connect(sigc::mem_fun(*this, &PreviewWindow::keep_title_and_border));
}

}  // namespace kelvane
