// Where the engine's sandbox cannot run, a created program still browses, and says why on
// standard error. (Where it can, the web sessions' tests see pages rendered in it.)
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

// Runs a command and tells whether it succeeded, without its output.
bool succeeds(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

class Sandbox : public testing::Test {
protected:
    void SetUp() override {
        server.serve("/home.html", "<html><body>home</body></html>");
        SettingsRecord record = default_record();
        record.WriteProperty("Text1", server.url("/home.html"));
        make_created_program(program, record);
    }

    HttpServer server;
    TempDir folder;
    std::filesystem::path program = folder / "sandboxed";
};

TEST_F(Sandbox, WhereItCannotRunTheProgramStillBrowsesAndSaysSo) {
    // A user namespace that may not make further ones, and a program without capabilities
    // in it: bubblewrap cannot make its namespaces there, as on kernels that forbid
    // unprivileged user namespaces.
    const std::string restrict = "echo 0 > /proc/sys/user/max_user_namespaces && exec setpriv --bounding-set=-all "
                                 "--inh-caps=-all --securebits=+noroot,+noroot_locked,+no_setuid_fixup,+no_setuid_fixup_locked";
    if (!succeeds("unshare --user --map-root-user sh -c '" + restrict + " /bin/true'"))
        GTEST_SKIP() << "this system cannot make the restricted user namespace the test needs";
    ASSERT_FALSE(succeeds("unshare --user --map-root-user sh -c '" + restrict +
                          " /usr/bin/bwrap --unshare-pid --ro-bind / / /bin/true'"));

    const auto errors = folder / "stderr.txt";
    // Every step execs the next, so the program keeps the process id the test started.
    Process browser("/usr/bin/unshare", {"--user", "--map-root-user", "sh", "-c",
                                         restrict + " \"$0\" 2>\"$1\"", program.string(), errors.string()});
    ASSERT_TRUE(find_window(browser.pid()));
    ASSERT_TRUE(server.wait_for("/home.html"));
    auto web = web_process_of(browser.pid());
    ASSERT_TRUE(web);
    EXPECT_EQ(pid_namespace_levels(*web).size(), pid_namespace_levels(browser.pid()).size());
    std::ifstream in(errors);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("sandbox"), std::string::npos) << text.str();
}

}  // namespace
}  // namespace kelvane::test
