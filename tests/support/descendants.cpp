#include "tests/support/process.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

namespace kelvane::test {

std::vector<pid_t> descendants(pid_t root) {
    std::multimap<pid_t, pid_t> children;  // parent, child
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        if (!std::isdigit(entry.path().filename().string()[0])) continue;  // not a process
        std::string line;
        std::getline(std::ifstream(entry.path() / "stat"), line);
        const auto close = line.rfind(')');  // the command name may hold blanks and brackets
        char state;
        int parent = 0;
        // A process that has ended but not been waited for holds nothing any more.
        if (close != std::string::npos && std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) == 2 &&
            state != 'Z')
            children.emplace(parent, std::stoi(line));
    }
    std::vector<pid_t> found{root};
    for (std::size_t i = 0; i < found.size(); ++i)
        for (auto [child, end] = children.equal_range(found[i]); child != end; ++child) found.push_back(child->second);
    found.erase(found.begin());
    return found;
}

}  // namespace kelvane::test
