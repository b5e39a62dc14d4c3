#include "tests/support/process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

namespace kelvane::test {

Process::Process(const std::filesystem::path& program, const std::vector<std::string>& args) {
    std::vector<std::string> argv_strings{program.string()};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    pid_ = fork();
    if (pid_ == 0) {
        std::vector<char*> argv;
        for (auto& a : argv_strings) argv.push_back(a.data());
        argv.push_back(nullptr);
        setpgid(0, 0);  // its own group, so its helpers end with it
        execv(argv[0], argv.data());
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

}  // namespace kelvane::test
