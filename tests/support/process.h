// A program started by a test, ended when the test is done with it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelvane::test {

class Process {
public:
    // `environment` adds variables to the ones this program has, or replaces them.
    explicit Process(const std::filesystem::path& program, const std::vector<std::string>& args = {},
                     const std::map<std::string, std::string>& environment = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // The exit status once the program has ended, waiting at most the given time.
    std::optional<int> wait(std::chrono::milliseconds timeout);
    void terminate();

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// The processes below `ancestor` (its children, theirs, and so on) with the given name as
// the kernel keeps it (at most 15 characters: "WebKitWebProces").
std::vector<pid_t> descendants(pid_t ancestor, const std::string& name);

}  // namespace kelvane::test
