// A program started by a test, ended when the test is done with it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

typedef struct _GSubprocess GSubprocess;

namespace kelvane::test {

class Process {
public:
    // `environment` adds variables to the ones this program has, or replaces them. A
    // program that cannot be started ends at once with status 127, as in a shell.
    explicit Process(const std::filesystem::path& program, const std::vector<std::string>& args = {},
                     const std::map<std::string, std::string>& environment = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // The exit status once the program has ended (as waitpid gives it), waiting at most
    // the given time.
    std::optional<int> wait(std::chrono::milliseconds timeout);
    void terminate();

private:
    GSubprocess* process_ = nullptr;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// The processes started by `root`, their children and so on, still running now.
std::vector<pid_t> descendants(pid_t root);
// The short command name of a process (its comm, at most 15 characters); empty once it is gone.
std::string command_name(pid_t pid);

// The process ids of a process in each PID namespace it is in, outermost first (its
// NSpid); one per namespace level.
std::vector<std::string> pid_namespace_levels(pid_t pid);
// The web engine's page-rendering process among the program's descendants, waiting for
// it at most the given time.
std::optional<pid_t> web_process_of(pid_t program, std::chrono::milliseconds timeout = std::chrono::seconds(30));
// Whether bubblewrap can make the namespaces the engine's sandbox asks for on this system.
bool web_sandbox_can_run();
// Those of them with the given name as the kernel keeps it (at most 15 characters:
// "WebKitWebProces").
std::vector<pid_t> descendants(pid_t ancestor, const std::string& name);

}  // namespace kelvane::test
