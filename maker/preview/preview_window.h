// The full preview frmMain: the browser window once more, configured straight from the
// maker's fields instead of a settings record. Its title and border style follow the
// program name and border fields for as long as it is open.
#pragma once

#include "browserwindow/browser_window.h"

namespace kelvane {

class Forms;

class PreviewWindow : public BrowserWindow {
public:
    explicit PreviewWindow(Forms& forms);

    static constexpr float kClientWidth = 8685;

    void Form_Load();

private:
    Forms& forms_;
};

}  // namespace kelvane
