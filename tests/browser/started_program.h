// A created program made from a record and started as a process, looked at from outside
// through the X server, its pages served on 127.0.0.1. The test program's own home
// (gtk_main) is the created programs' home.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/window_manager.h"

namespace kelvane::test {

class StartedProgram : public testing::Test {
protected:
    StartedProgram() { record.WriteProperty("Text1", server.url("/home.html")); }

    // Makes the program `name` from the record and starts it with these variables more;
    // its window is the one the window manager manages, when one runs.
    void start(const std::string& name = "program", const std::map<std::string, std::string>& environment = {}) {
        make_created_program(folder / name, record);
        program = std::make_unique<Process>(folder / name, std::vector<std::string>{}, environment);
        window = manager ? managed_window(program->pid()).value_or(0) : find_window(program->pid()).value_or(XWindowInfo{}).id;
        ASSERT_NE(window, 0u) << "no window";
    }
    // Closes the window as a desktop's close box does: the program ends, cleanly and soon.
    void close_and_wait() {
        ASSERT_TRUE(close_window(window));
        EXPECT_EQ(program->wait(kPatience), 0) << "no clean end after the window closed";
    }
    // A page on a white body that reports being shown, also when it comes back from the
    // page cache.
    static std::string page(const std::string& name, const std::string& body = "") {
        return "<html><head><title>" + name + "</title></head><body style='margin:0;height:100vh'><script>addEventListener("
               "'pageshow', () => fetch('/shown/" + name + "'))</script>" + body + "</body></html>";
    }

    std::unique_ptr<WindowManager> manager;  // started by the tests that need one
    HttpServer server;
    TempDir folder;
    SettingsRecord record = default_record();
    std::unique_ptr<Process> program;
    unsigned long window = 0;
};

}  // namespace kelvane::test
