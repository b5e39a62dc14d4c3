#include "tests/support/process.h"

#include <gio/gio.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/patience.h"

namespace kelvane::test {

std::string command_name(pid_t pid) {
    std::string name;
    std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/comm"), name);
    return name;
}

Process::Process(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& environment) {
    g_autoptr(GSubprocessLauncher) launcher = g_subprocess_launcher_new(G_SUBPROCESS_FLAGS_NONE);
    for (const auto& [name, value] : environment) g_subprocess_launcher_setenv(launcher, name.c_str(), value.c_str(), TRUE);
    // A process group of its own, so that its helpers end with it.
    g_subprocess_launcher_set_child_setup(launcher, [](gpointer) { setpgid(0, 0); }, nullptr, nullptr);
    std::vector<const char*> argv{program.c_str()};
    for (const auto& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    g_autoptr(GError) error = nullptr;
    process_ = g_subprocess_launcher_spawnv(launcher, argv.data(), &error);
    // No identifier when the program has already ended and GLib has reaped it.
    const char* id = process_ ? g_subprocess_get_identifier(process_) : nullptr;
    pid_ = id ? static_cast<pid_t>(std::atoi(id)) : -1;
    if (error) std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), error->message);
    if (!process_) status_ = W_EXITCODE(127, 0);
}

Process::~Process() {
    terminate();
    if (process_) g_object_unref(process_);
}

bool Process::running() { return !wait(std::chrono::milliseconds(0)); }

std::optional<int> Process::wait(std::chrono::milliseconds timeout) {
    // GSubprocess reaps the program by itself, on GLib's worker thread; once it has, the
    // status is there without waiting.
    if (!status_ && wait_until([&] { return !g_subprocess_get_identifier(process_); }, timeout) &&
        g_subprocess_wait(process_, nullptr, nullptr))
        status_ = g_subprocess_get_status(process_);
    return status_;
}

void Process::terminate() {
    for (int signal : {SIGTERM, SIGKILL}) {
        // Once GSubprocess has reaped the program, its number may be another's.
        if (wait(std::chrono::milliseconds(0))) return;
        if (pid_ > 0) kill(-pid_, signal);
        g_subprocess_send_signal(process_, signal);
        wait(std::chrono::seconds(5));
    }
}

std::vector<pid_t> descendants(pid_t ancestor, const std::string& name) {
    std::vector<pid_t> found = descendants(ancestor);
    std::erase_if(found, [&](pid_t pid) { return command_name(pid) != name; });
    return found;
}

std::vector<std::string> pid_namespace_levels(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line) && !line.starts_with("NSpid:")) {
    }
    std::istringstream fields(line.starts_with("NSpid:") ? line.substr(6) : "");
    std::vector<std::string> levels;
    for (std::string level; fields >> level;) levels.push_back(level);
    return levels;
}

std::optional<pid_t> web_process_of(pid_t program, std::chrono::milliseconds timeout) {
    std::vector<pid_t> found;
    wait_until([&] { return !(found = descendants(program, "WebKitWebProces")).empty(); }, timeout);
    return found.empty() ? std::nullopt : std::optional<pid_t>(found.front());
}

bool web_sandbox_can_run() {
    return std::system("/usr/bin/bwrap --unshare-pid --unshare-ipc --unshare-uts --unshare-net --ro-bind / / "
                       "/bin/true >/dev/null 2>&1") == 0;
}

}  // namespace kelvane::test
