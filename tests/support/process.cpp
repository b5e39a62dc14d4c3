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
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

Process::Process(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& environment) {
    GSubprocessLauncher* launcher = g_subprocess_launcher_new(G_SUBPROCESS_FLAGS_NONE);
    for (const auto& [name, value] : environment) g_subprocess_launcher_setenv(launcher, name.c_str(), value.c_str(), TRUE);
    // A process group of its own, so that its helpers end with it.
    g_subprocess_launcher_set_child_setup(launcher, [](gpointer) { setpgid(0, 0); }, nullptr, nullptr);
    std::vector<const char*> argv{program.c_str()};
    for (const auto& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    GError* error = nullptr;
    process_ = g_subprocess_launcher_spawnv(launcher, argv.data(), &error);
    g_object_unref(launcher);
    if (process_) {
        // None when the program has already ended and GLib has reaped it.
        const char* id = g_subprocess_get_identifier(process_);
        pid_ = id ? static_cast<pid_t>(std::atoi(id)) : -1;
    } else {
        std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), error->message);
        g_error_free(error);
        status_ = W_EXITCODE(127, 0);
    }
}

Process::~Process() {
    terminate();
    if (process_) g_object_unref(process_);
}

bool Process::running() { return !wait(std::chrono::milliseconds(0)); }

std::optional<int> Process::wait(std::chrono::milliseconds timeout) {
    if (status_) return status_;
    // GSubprocess learns of the end by itself; this waits for its word, or for the time to
    // run out, on a main context of its own so that nothing else runs meanwhile.
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    GCancellable* cancellable = g_cancellable_new();
    bool answered = false;
    g_subprocess_wait_async(process_, cancellable, [](GObject*, GAsyncResult*, gpointer answered) {
        *static_cast<bool*>(answered) = true;
    }, &answered);
    GSource* timer = g_timeout_source_new(static_cast<guint>(timeout.count()));
    g_source_set_callback(timer, [](gpointer cancellable) {
        g_cancellable_cancel(G_CANCELLABLE(cancellable));
        return G_SOURCE_REMOVE;
    }, cancellable, nullptr);
    g_source_attach(timer, context);
    while (!answered) g_main_context_iteration(context, TRUE);
    g_source_destroy(timer);
    g_source_unref(timer);
    g_object_unref(cancellable);
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    if (!g_subprocess_get_identifier(process_)) status_ = g_subprocess_get_status(process_);
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
    std::vector<pid_t> found;
    for (pid_t pid : descendants(ancestor))
        if (command_name(pid) == name) found.push_back(pid);
    return found;
}

std::vector<std::string> pid_namespace_levels(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line) && !line.starts_with("NSpid:")) {
    }
    if (!line.starts_with("NSpid:")) return {};
    std::istringstream fields(line.substr(6));
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
