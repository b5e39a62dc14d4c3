#include "tests/support/process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace kelvane::test {

Process::Process(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& environment) {
    std::vector<std::string> argv_strings{program.string()};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    // Made before fork: the child of a program with threads may only call what is safe
    // after fork until it runs the program.
    std::vector<std::string> env_strings;
    for (char** e = environ; *e; ++e) {
        const char* equals = std::strchr(*e, '=');
        const std::string name = equals ? std::string(*e, static_cast<std::size_t>(equals - *e)) : std::string(*e);
        if (!environment.contains(name)) env_strings.emplace_back(*e);
    }
    for (const auto& [name, value] : environment) env_strings.push_back(name + "=" + value);
    std::vector<char*> argv, envp;
    for (auto& a : argv_strings) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env_strings) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        setpgid(0, 0);  // its own group, so its helpers end with it
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
}

Process::~Process() { terminate(); }

bool Process::running() { return !wait(std::chrono::milliseconds(0)); }

std::optional<int> Process::wait(std::chrono::milliseconds timeout) {
    if (status_ || pid_ <= 0) return status_;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = status;
            return status_;
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void Process::terminate() {
    if (pid_ <= 0 || status_) return;
    kill(-pid_, SIGTERM);
    kill(pid_, SIGTERM);
    if (!wait(std::chrono::seconds(5))) {
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
        wait(std::chrono::seconds(5));
    }
}

std::string command_name(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

std::vector<pid_t> descendants(pid_t root) {
    std::vector<std::pair<pid_t, pid_t>> parent_of;  // child, parent
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "stat");
        std::string line;
        std::getline(in, line);
        const auto close = line.rfind(')');  // the command name may hold blanks and brackets
        if (close == std::string::npos) continue;
        char state;
        int parent = 0;
        if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) == 2)
            parent_of.emplace_back(static_cast<pid_t>(std::stoi(name)), static_cast<pid_t>(parent));
    }
    std::vector<pid_t> found{root};
    for (std::size_t i = 0; i < found.size(); ++i)
        for (auto [child, parent] : parent_of)
            if (parent == found[i]) found.push_back(child);
    found.erase(found.begin());
    return found;
}

std::vector<std::string> pid_namespace_levels(pid_t pid) {
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

std::optional<pid_t> web_process_of(pid_t program, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        for (pid_t pid : descendants(program))
            if (command_name(pid) == "WebKitWebProces") return pid;  // its name cut to 15 characters
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

bool web_sandbox_can_run() {
    return std::system("/usr/bin/bwrap --unshare-pid --unshare-ipc --unshare-uts --unshare-net --ro-bind / / "
                       "/bin/true >/dev/null 2>&1") == 0;
}

std::vector<pid_t> descendants(pid_t ancestor, const std::string& name) {
    std::vector<pid_t> found;
    for (pid_t pid : descendants(ancestor))
        if (command_name(pid) == name) found.push_back(pid);
    return found;
}

}  // namespace kelvane::test
