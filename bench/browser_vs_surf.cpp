// Starts a created program and surf (the same WebKitGTK engine) in turn on one page from
// 127.0.0.1, and compares start-up, page load, memory and idle CPU.
//
//   browser_vs_surf [runs-each]        (default 7)
//
// Each run has fresh HOME and XDG folders, and the server sends Cache-Control: no-store,
// so neither browser finds anything cached by an earlier run. A process is counted with
// all its descendants (WebKit's web and network processes are children of the browser).
// The browsers' own messages on standard error are discarded; set BENCH_BROWSER_STDERR
// to keep them.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/created_program.h"
#include "tests/support/display.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"

using namespace kelvane::test;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kLoadTimeout = std::chrono::seconds(30);
constexpr auto kSettle = std::chrono::seconds(2);      // after the last resource, before memory
constexpr auto kIdle = std::chrono::seconds(10);       // idle CPU is measured over this
const char* const kSurf = "/usr/bin/surf";

const std::vector<std::string> kResources = {"/style.css", "/image.png", "/script.js"};

// A 1x1 RGB PNG.
const std::string kPng("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0\x90\x77\x53\xde"
                       "\0\0\0\x0cIDAT\x78\x9c\x63\xf8\xdf\xc0\0\0\x04\x01\x01\x80\xc5\x2a\x18\x5d"
                       "\0\0\0\0IEND\xae\x42\x60\x82",
                       69);

void serve_page(HttpServer& server) {
    server.serve("/index.html",
                 "<!DOCTYPE html><html><head><title>Bench</title>"
                 "<link rel=\"stylesheet\" href=\"/style.css\"><script src=\"/script.js\"></script></head>"
                 "<body><h1>Bench page</h1><p>Some text.</p><img src=\"/image.png\" width=\"16\" height=\"16\"></body></html>");
    server.serve("/style.css", "body { font-family: sans-serif; background: #eee; } h1 { color: #336; }", "text/css");
    server.serve("/script.js", "document.title = 'Bench (script ran)';", "application/javascript");
    server.serve("/image.png", kPng, "image/png");
}

// ---- /proc -------------------------------------------------------------------------

// The fields of /proc/<pid>/stat after the command name, which may hold blanks.
std::vector<std::string> stat_fields(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    const auto close = line.rfind(')');
    if (close == std::string::npos) return {};
    std::istringstream rest(line.substr(close + 1));
    std::vector<std::string> fields;
    for (std::string f; rest >> f;) fields.push_back(f);
    return fields;  // fields[0] is field 3 (state) of proc(5)
}

// The process and all its descendants alive now.
std::vector<pid_t> process_tree(pid_t root) {
    std::multimap<pid_t, pid_t> children;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const auto fields = stat_fields(std::stoi(name));
        if (fields.size() > 1) children.emplace(std::stoi(fields[1]), std::stoi(name));
    }
    std::vector<pid_t> tree{root};
    for (std::size_t i = 0; i < tree.size(); ++i) {
        auto [first, last] = children.equal_range(tree[i]);
        for (auto it = first; it != last; ++it) tree.push_back(it->second);
    }
    return tree;
}

// A "Key:   123 kB" line of a /proc file, in kB.
long proc_kb(const std::string& file, const std::string& key) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key + ":", 0) == 0) return std::atol(line.c_str() + key.size() + 1);
    return 0;
}

struct Memory {
    double rss_mib = 0, pss_mib = 0;
    int processes = 0;
};

Memory tree_memory(pid_t root) {
    Memory m;
    for (pid_t pid : process_tree(root)) {
        const std::string dir = "/proc/" + std::to_string(pid);
        m.rss_mib += proc_kb(dir + "/status", "VmRSS") / 1024.0;
        m.pss_mib += proc_kb(dir + "/smaps_rollup", "Pss") / 1024.0;
        ++m.processes;
    }
    return m;
}

// utime + stime in clock ticks, per process of the tree.
std::map<pid_t, long long> tree_cpu_ticks(pid_t root) {
    std::map<pid_t, long long> ticks;
    for (pid_t pid : process_tree(root)) {
        const auto f = stat_fields(pid);
        if (f.size() > 12) ticks[pid] = std::stoll(f[11]) + std::stoll(f[12]);
    }
    return ticks;
}

// ---- one run -----------------------------------------------------------------------

struct Sample {
    double first_ms = 0;  // start to the page's request
    double last_ms = 0;   // start to the last sub-resource's request
    Memory memory;
    double idle_cpu_percent = 0;
};

double ms_since(Clock::time_point start, Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(t - start).count();
}

// Starts the program on the page, with fresh folders; without `measure_idle` it only
// waits for the page (a warm-up).
std::optional<Sample> run_once(HttpServer& server, const std::filesystem::path& program,
                               const std::vector<std::string>& args, bool measure_idle) {
    TempDir home;
    for (const char* sub : {"cache", "data", "config"}) std::filesystem::create_directory(home / sub);
    const std::map<std::string, std::string> env = {{"HOME", home.path()},
                                                    {"XDG_CACHE_HOME", home / "cache"},
                                                    {"XDG_DATA_HOME", home / "data"},
                                                    {"XDG_CONFIG_HOME", home / "config"}};
    server.clear();
    const auto start = Clock::now();
    Process browser(program, args, env);

    if (!server.wait_for("/index.html", 1, kLoadTimeout)) return std::nullopt;
    for (const auto& path : kResources)
        if (!server.wait_for(path, 1, kLoadTimeout)) return std::nullopt;

    Sample s;
    std::map<std::string, Clock::time_point> first_request;
    for (const auto& r : server.requests()) first_request.try_emplace(r.path, r.time);
    s.first_ms = ms_since(start, first_request["/index.html"]);
    for (const auto& path : kResources) s.last_ms = std::max(s.last_ms, ms_since(start, first_request[path]));
    if (!measure_idle) return s;

    std::this_thread::sleep_for(kSettle);
    s.memory = tree_memory(browser.pid());
    const auto before = tree_cpu_ticks(browser.pid());
    const auto idle_start = Clock::now();
    std::this_thread::sleep_for(kIdle);
    const auto after = tree_cpu_ticks(browser.pid());
    const double seconds = std::chrono::duration<double>(Clock::now() - idle_start).count();
    long long used = 0;
    for (const auto& [pid, ticks] : after) {
        auto was = before.find(pid);
        used += ticks - (was == before.end() ? 0 : was->second);
    }
    s.idle_cpu_percent = 100.0 * static_cast<double>(used) / static_cast<double>(sysconf(_SC_CLK_TCK)) / seconds;
    return s;  // the browser's process group ends with `browser`
}

// ---- report ------------------------------------------------------------------------

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const auto n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Contender {
    std::string name;
    std::filesystem::path program;
    std::vector<std::string> args;
    std::vector<Sample> samples;
    int failures = 0;

    double med(double Sample::*field) const {
        std::vector<double> v;
        for (const auto& s : samples) v.push_back(s.*field);
        return median(v);
    }
    double med_memory(double Memory::*field) const {
        std::vector<double> v;
        for (const auto& s : samples) v.push_back(s.memory.*field);
        return median(v);
    }
};

void print_row(const std::string& name, const std::string& run, const Sample& s) {
    std::printf("%-16s %5s %12.0f %12.0f %10.1f %10.1f %6d %10.2f\n", name.c_str(), run.c_str(), s.first_ms, s.last_ms,
                s.memory.rss_mib, s.memory.pss_mib, s.memory.processes, s.idle_cpu_percent);
}

void print_header() {
    std::printf("%-16s %5s %12s %12s %10s %10s %6s %10s\n", "browser", "run", "first req ms", "last res ms", "RSS MiB",
                "PSS MiB", "procs", "idle CPU %");
}

const char* verdict(bool met) { return met ? "MET" : "NOT MET"; }

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    if (runs < 1) {
        std::fprintf(stderr, "usage: %s [runs-each]   (runs-each >= 1, default 7)\n", argv[0]);
        return 2;
    }
    if (access(kSurf, X_OK) != 0) {
        std::fprintf(stderr, "%s is not installed\n", kSurf);
        return 2;
    }
    ensure_display();
    setvbuf(stdout, nullptr, _IOLBF, 0);

    HttpServer server;
    serve_page(server);
    const std::string page = server.url("/index.html");

    TempDir folder;
    const auto program = folder / "bench-browser";
    auto record = default_record();
    record.WriteProperty("Text1", page);
    record.WriteProperty("url", std::string());  // no song
    record.WriteProperty("custom26", std::string("True"));
    make_created_program(program, record);
    if (!std::filesystem::exists(program) ||
        std::filesystem::file_size(program) <= std::filesystem::file_size(template_path())) {
        std::fprintf(stderr, "could not make the created program\n");
        return 2;
    }

    std::vector<Contender> contenders(2);
    contenders[0].name = "created program";
    contenders[0].program = program;
    contenders[1].name = "surf";
    contenders[1].program = kSurf;
    contenders[1].args = {page};
    std::printf("template %s: %ju bytes\n", template_path().c_str(),
                static_cast<std::uintmax_t>(std::filesystem::file_size(template_path())));
    std::printf("page %s (+ %zu sub-resources), %d runs each, alternating; memory %lld s after the last "
                "resource, idle CPU over the next %lld s\n",
                page.c_str(), kResources.size(), runs, static_cast<long long>(kSettle.count()),
                static_cast<long long>(kIdle.count()));
    std::printf("memory: VmRSS (/proc/<pid>/status) and Pss (/proc/<pid>/smaps_rollup), summed over the process "
                "and its descendants\n\n");

    if (!std::getenv("BENCH_BROWSER_STDERR")) {
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) dup2(null, STDERR_FILENO), close(null);
    }

    // One unmeasured start of each first, so that the first measured run does not pay
    // alone for reading the shared libraries from disk.
    for (auto& c : contenders)
        if (!run_once(server, c.program, c.args, false)) std::printf("warm-up of %s timed out\n", c.name.c_str());

    print_header();
    for (int run = 1; run <= runs; ++run) {
        for (auto& c : contenders) {
            if (auto s = run_once(server, c.program, c.args, true)) {
                c.samples.push_back(*s);
                print_row(c.name, std::to_string(run), *s);
            } else {
                ++c.failures;
                std::printf("%-16s %5d   timed out: the page or a sub-resource was not asked for in %lld s\n",
                            c.name.c_str(), run, static_cast<long long>(kLoadTimeout.count()));
            }
        }
    }

    std::printf("\nmedians\n");
    print_header();
    for (const auto& c : contenders) {
        Sample m;
        m.first_ms = c.med(&Sample::first_ms);
        m.last_ms = c.med(&Sample::last_ms);
        m.memory.rss_mib = c.med_memory(&Memory::rss_mib);
        m.memory.pss_mib = c.med_memory(&Memory::pss_mib);
        m.memory.processes = c.samples.empty() ? 0 : c.samples.front().memory.processes;
        m.idle_cpu_percent = c.med(&Sample::idle_cpu_percent);
        print_row(c.name, "med", m);
        if (c.failures) std::printf("%-16s %d of %d runs timed out\n", c.name.c_str(), c.failures, runs);
    }

    const Contender& ours = contenders[0];
    const Contender& surf = contenders[1];
    if (ours.samples.empty() || surf.samples.empty()) {
        std::printf("\nno verdict: a browser never loaded the page\n");
        return 1;
    }
    const double start_ratio = ours.med(&Sample::first_ms) / surf.med(&Sample::first_ms);
    const double load_ratio = ours.med(&Sample::last_ms) / surf.med(&Sample::last_ms);
    const double rss_ratio = ours.med_memory(&Memory::rss_mib) / surf.med_memory(&Memory::rss_mib);
    const double pss_ratio = ours.med_memory(&Memory::pss_mib) / surf.med_memory(&Memory::pss_mib);
    const double idle = ours.med(&Sample::idle_cpu_percent);
    std::printf("\nstart-up ratio created/surf (first request): %.2f  (last resource: %.2f)  target <= 1.00  %s\n",
                start_ratio, load_ratio, verdict(start_ratio <= 1.0));
    std::printf("memory ratio created/surf (VmRSS): %.2f  (Pss: %.2f)  target <= 1.00  %s\n", rss_ratio, pss_ratio,
                verdict(rss_ratio <= 1.0));
    std::printf("idle CPU of the created program: %.2f %% of a core  target < 0.50 %%  %s\n", idle,
                verdict(idle < 0.5));
    return 0;
}
