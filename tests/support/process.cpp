#include "tests/support/process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
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

std::vector<pid_t> descendants(pid_t ancestor, const std::string& name) {
    struct Entry {
        pid_t parent;
        std::string name;
    };
    std::map<pid_t, Entry> table;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string file = entry.path().filename().string();
        if (file.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "stat");
        std::stringstream text;
        text << in.rdbuf();
        // "pid (name) state parent ...": the name may hold blanks and parentheses.
        const std::string stat = text.str();
        const auto open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close < open) continue;
        std::istringstream rest(stat.substr(close + 1));
        std::string state;
        pid_t parent = 0;
        if (rest >> state >> parent)
            table[static_cast<pid_t>(std::stol(file))] = {parent, stat.substr(open + 1, close - open - 1)};
    }
    std::vector<pid_t> found;
    for (const auto& [pid, entry] : table) {
        if (entry.name != name) continue;
        for (pid_t up = entry.parent; up > 1; up = table.contains(up) ? table[up].parent : 0)
            if (up == ancestor) {
                found.push_back(pid);
                break;
            }
    }
    return found;
}

}  // namespace kelvane::test
