// The created program's one window: loads its settings from its own file's trailer and
// keeps its title and border style at the values it was configured with.
#pragma once

#include <filesystem>

#include "browserwindow/browser_window.h"
#include "browserwindow/configuration.h"

namespace kelvane {

class ProgramWindow : public BrowserWindow {
public:

    // Reads the trailer of the program file and configures the window from it.
    void Form_Load(const std::filesystem::path& program);

    const Holders& holders() const { return holders_; }

private:
    Holders holders_;
};

}  // namespace kelvane
