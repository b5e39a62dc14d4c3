// The web process of a created program renders in the engine's sandbox: a PID namespace
// of its own, seen from outside as two levels in its NSpid. Where the sandbox cannot run,
// the program still browses, and says why on standard error.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

using namespace std::chrono_literals;

// The PID namespace levels of a process, outermost first ("NSpid:" in its status).
std::vector<std::string> nspid(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("NSpid:", 0) != 0) continue;
        std::istringstream fields(line.substr(6));
        std::vector<std::string> levels;
        for (std::string level; fields >> level;) levels.push_back(level);
        return levels;
    }
    return {};
}

// The engine's web process among the program's descendants.
std::optional<pid_t> web_process(pid_t program) {
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    do {
        for (pid_t pid : descendants(program))
            if (command_name(pid) == "WebKitWebProces") return pid;
        std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

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

TEST_F(Sandbox, WebProcessRunsInAPidNamespaceOfItsOwn) {
    // The namespaces the engine asks bubblewrap for.
    if (!succeeds("/usr/bin/bwrap --unshare-pid --unshare-ipc --unshare-uts --unshare-net --ro-bind / / /bin/true"))
        GTEST_SKIP() << "bubblewrap cannot make namespaces on this system, so no sandbox can run here";
    Process browser(program);
    ASSERT_TRUE(find_window(browser.pid()));
    ASSERT_TRUE(server.wait_for("/home.html"));
    auto web = web_process(browser.pid());
    ASSERT_TRUE(web);
    EXPECT_EQ(nspid(*web).size(), 2u) << "the web process shares the program's PID namespace";
    EXPECT_EQ(nspid(browser.pid()).size(), nspid(getpid()).size());
}

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
    auto web = web_process(browser.pid());
    ASSERT_TRUE(web);
    EXPECT_EQ(nspid(*web).size(), nspid(browser.pid()).size());
    std::ifstream in(errors);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("sandbox"), std::string::npos) << text.str();
}

}  // namespace
}  // namespace kelvane::test
