#include "bench/bench_common.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace kelvane::bench {

bool add_template(const std::string& given, std::vector<NamedTemplate>& templates) {
    const auto equals = given.find('=');
    if (equals == std::string::npos || !std::filesystem::exists(given.substr(equals + 1))) {
        std::fprintf(stderr, "--template wants NAME=PATH of an existing template\n");
        return false;
    }
    templates.push_back({given.substr(0, equals), given.substr(equals + 1)});
    return true;
}

std::optional<int> rounds_argument(const std::string& arg) {
    if (arg.empty() || arg.size() > 6 || arg.find_first_not_of("0123456789") != std::string::npos || std::atoi(arg.c_str()) < 1)
        return std::nullopt;
    return std::atoi(arg.c_str());
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const auto n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

FILE* quiet_browsers() {
    FILE* report = stdout;
    setvbuf(stdout, nullptr, _IOLBF, 0);
    if (const int null = open("/dev/null", O_WRONLY | O_CLOEXEC); null >= 0) {
        if (FILE* own = fdopen(dup(STDOUT_FILENO), "w")) {
            setvbuf(own, nullptr, _IOLBF, 0);
            report = own;
            dup2(null, STDOUT_FILENO);
        }
        if (!std::getenv("BENCH_BROWSER_STDERR")) dup2(null, STDERR_FILENO);
        close(null);
    }
    return report;
}

}  // namespace kelvane::bench
