// The web process of a created program renders in the engine's sandbox, tried the way
// people run browsers: as an ordinary user with a home of its own. It has a PID namespace
// of its own (two levels in its NSpid, seen from outside), no capabilities, and none of the
// program's folders. As root the sandbox cannot contain pages, and the program says so;
// where the sandbox cannot run at all, the program still browses and says why.
#include <unistd.h>

#include <fstream>

#include "tests/browser/started_program.h"

namespace kelvane::test {
namespace {

namespace fs = std::filesystem;

// Runs a command and tells whether it succeeded, without its output.
bool succeeds(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

constexpr const char* kAsNobody = "setpriv --reuid=65534 --regid=65534 --clear-groups";

class Sandbox : public StartedProgram {
protected:
    Sandbox() {
        server.serve("/home.html", "<html><body>home</body></html>");
        make_created_program(program, record);
        fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
        fs::permissions(program, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    }
    // Starts the program through a shell command that ends in exec, its errors kept.
    Process run(const std::string& before, const std::map<std::string, std::string>& environment = {}) {
        return Process("/bin/sh", {"-c", before + " \"$0\" 2>\"$1\"", program.string(), (home / "stderr.txt").string()}, environment);
    }
    std::string errors() const { return read_all(home / "stderr.txt"); }

    TempDir home;
    fs::path program = folder / "sandboxed";
    fs::path data = home / ".local/share/kelvane/sandboxed", cache = home / ".cache/kelvane/sandboxed";
};

TEST_F(Sandbox, AsAnOrdinaryUserTheWebProcessHasNoCapabilitiesAndNoneOfTheProgramsFolders) {
    if (!succeeds(std::string(kAsNobody) + " /usr/bin/bwrap --unshare-pid --ro-bind / / /bin/true"))
        GTEST_SKIP() << "bubblewrap cannot make namespaces for an ordinary user on this system";
    // A store from before, readable by every user as earlier versions left it.
    fs::create_directories(data);
    fs::permissions(data, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
    std::ofstream(data / "cookies.sqlite").close();
    fs::create_directory(home / "run");
    fs::permissions(home / "run", fs::perms::owner_all);
    ASSERT_TRUE(succeeds("chown -R nobody " + home.path().string()));

    Process browser = run(std::string("exec ") + kAsNobody,
                          {{"HOME", home.path().string()}, {"XDG_DATA_HOME", (home / ".local/share").string()},
                           {"XDG_CACHE_HOME", (home / ".cache").string()}, {"XDG_CONFIG_HOME", (home / ".config").string()},
                           {"XDG_RUNTIME_DIR", (home / "run").string()}});
    ASSERT_TRUE(server.wait_for("/home.html"));
    auto web = web_process_of(browser.pid());
    ASSERT_TRUE(web);
    EXPECT_EQ(pid_namespace_levels(*web).size(), 2u) << "the web process shares the program's PID namespace";
    EXPECT_NE(read_all("/proc/" + std::to_string(*web) + "/status").find("CapPrm:\t0000000000000000\n"), std::string::npos)
        << "the web process has capabilities";
    // What the web process sees at the places of the program's folders.
    const fs::path seen = "/proc/" + std::to_string(*web) + "/root";
    EXPECT_FALSE(fs::exists(seen / data.relative_path() / "cookies.sqlite")) << "the cookies are in reach of pages";
    EXPECT_FALSE(fs::exists(seen / cache.relative_path())) << "the cache is in reach of pages";

    for (const auto& [path, kept] : {std::pair{data, fs::perms::owner_all}, {cache, fs::perms::owner_all},
                                     {data / "cookies.sqlite", fs::perms::owner_read | fs::perms::owner_write}})
        EXPECT_EQ(fs::status(path).permissions() & fs::perms::mask, kept) << path;
    EXPECT_EQ(errors().find("root"), std::string::npos) << errors();
}

TEST_F(Sandbox, AsRootTheProgramSaysThatPagesCannotBeContained) {
    if (geteuid() != 0) GTEST_SKIP() << "not run as root";
    Process browser = run("exec");
    ASSERT_TRUE(find_window(browser.pid()));
    ASSERT_TRUE(server.wait_for("/home.html"));
    EXPECT_NE(errors().find("running as root"), std::string::npos) << errors();
    if (!web_sandbox_can_run()) return;
    auto web = web_process_of(browser.pid());
    EXPECT_TRUE(web && pid_namespace_levels(*web).size() == 2u) << "the web process shares the program's PID namespace";
}

TEST_F(Sandbox, WhereItCannotRunTheProgramStillBrowsesAndSaysSo) {
    // A user namespace that may not make further ones, and a program without capabilities
    // in it: bubblewrap cannot make its namespaces there, as on kernels that forbid
    // unprivileged user namespaces.
    const std::string restrict = "echo 0 > /proc/sys/user/max_user_namespaces && exec setpriv --bounding-set=-all "
                                 "--inh-caps=-all --securebits=+noroot,+noroot_locked,+no_setuid_fixup,+no_setuid_fixup_locked";
    if (!succeeds("unshare --user --map-root-user sh -c '" + restrict + " /bin/true'"))
        GTEST_SKIP() << "this system cannot make the restricted user namespace the test needs";

    // Every step execs the next, so the program keeps the process id the test started.
    Process browser("/usr/bin/unshare", {"--user", "--map-root-user", "sh", "-c",
                                         restrict + " \"$0\" 2>\"$1\"", program.string(), (home / "stderr.txt").string()});
    ASSERT_TRUE(find_window(browser.pid()));
    ASSERT_TRUE(server.wait_for("/home.html"));
    auto web = web_process_of(browser.pid());
    EXPECT_TRUE(web && pid_namespace_levels(*web).size() == pid_namespace_levels(browser.pid()).size());
    EXPECT_NE(errors().find("sandbox"), std::string::npos) << errors();
}

}  // namespace
}  // namespace kelvane::test
