// What the benchmarks share: their options, medians, and a report that the browsers'
// own chatter does not mix into.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kelvane::bench {

// A template to make created programs from, under the name the report gives it.
struct NamedTemplate {
    std::string name;
    std::filesystem::path file;
};

// Adds the template of a --template NAME=PATH argument; false (and says why) when PATH
// is not there.
bool add_template(const std::string& given, std::vector<NamedTemplate>& templates);

// A number of rounds, at least 1, or nothing when the argument is not one.
std::optional<int> rounds_argument(const std::string& arg);

double median(std::vector<double> values);

// Sends standard output and error, which the browsers started later inherit, to
// /dev/null, and returns where the report goes: the standard output that was. Set
// BENCH_BROWSER_STDERR to keep their standard error.
FILE* quiet_browsers();

}  // namespace kelvane::bench
