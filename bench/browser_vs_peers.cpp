// Starts a created program and the browsers people would use instead of it (surf and
// GNOME Web on the same engine, Chromium's app mode) in turn on one page from
// 127.0.0.1, and compares start-up, page load, memory and idle CPU.
//
//   browser_vs_peers [rounds] [--open N] [--start-only] [--no-song] [--template NAME=PATH]...
//                                                            (rounds default 7, N 1)
//
// --open N starts N of each at once, each on a site of its own (127.0.0.1, 127.0.0.2,
// ...), as people keep mail, chat and a calendar open: N created programs under different
// names, N surf and N GNOME Web windows, N Chromium app windows in one profile (which one
// Chromium browser shows). Start-up then lasts until every page was asked for, memory is
// the sum over all of them, and each one's share is that sum / N.
//
// Every round starts each browser once, beginning with a different one each round, so a
// busy moment of the machine falls on all alike; the figures are medians. --template
// adds a created program made from another template (an earlier build, say), for a
// before-and-after in one run; --start-only leaves memory and idle CPU out, for many quick
// rounds. The created programs have a song (not served, so it fails at once and plays
// nothing while idle CPU is measured), which builds their player; --no-song leaves it out,
// as most site browsers are made. A peer that is missing is installed by bench/install-peers
// when this runs as root, and otherwise left out.
//
// Each run has fresh HOME and XDG folders, and the server sends Cache-Control: no-store,
// so no browser finds anything cached by an earlier run. GStreamer's plugin registry is
// the user's, not a program's: all runs share one, made during the warm-up, as on a
// desktop where it exists already. A process is counted with all its descendants
// (WebKit's and Chromium's helper processes are children of the browser), except the
// private session bus that GNOME Web is given. The browsers' own messages on standard
// error are discarded; set BENCH_BROWSER_STDERR to keep them.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_common.h"
#include "tests/support/created_program.h"
#include "tests/support/display.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"

using namespace kelvane::test;
using namespace kelvane::bench;
using Clock = std::chrono::steady_clock;

// Where the figures go: the bench's own standard output. The browsers' standard output
// goes to /dev/null (some of their helpers chat there).
FILE* report = stdout;

namespace {

constexpr auto kLoadTimeout = std::chrono::seconds(30);
constexpr auto kSettle = std::chrono::seconds(2);      // after the last resource, before memory
constexpr auto kIdle = std::chrono::seconds(10);       // idle CPU is measured over this

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

// The session bus that dbus-run-session gives GNOME Web is not the browser's own work.
bool counted(pid_t pid) {
    const std::string name = command_name(pid);
    return name != "dbus-run-sessio" && name != "dbus-daemon";
}

// The processes and all their descendants alive now (a Chromium that handed its window
// to the browser already running is gone).
std::vector<pid_t> process_trees(const std::vector<pid_t>& roots) {
    std::vector<pid_t> all;
    for (pid_t root : roots) {
        if (command_name(root).empty()) continue;
        all.push_back(root);
        for (pid_t pid : descendants(root)) all.push_back(pid);
    }
    return all;
}

// A "Key:   123 kB" line of a /proc file, in kB.
long proc_kb(const std::string& file, const std::string& key) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key + ":", 0) == 0) return std::atol(line.c_str() + key.size() + 1);
    return 0;
}

// Pss shares a library's pages among all the processes that map it, on the whole machine:
// its anonymous part does not move with what else runs.
struct Memory {
    double rss_mib = 0, pss_mib = 0, anon_mib = 0;
    int processes = 0;
};

Memory tree_memory(const std::vector<pid_t>& roots) {
    Memory m;
    for (pid_t pid : process_trees(roots)) {
        if (!counted(pid)) continue;
        const std::string dir = "/proc/" + std::to_string(pid);
        m.rss_mib += proc_kb(dir + "/status", "VmRSS") / 1024.0;
        m.pss_mib += proc_kb(dir + "/smaps_rollup", "Pss") / 1024.0;
        m.anon_mib += proc_kb(dir + "/smaps_rollup", "Pss_Anon") / 1024.0;
        ++m.processes;
    }
    return m;
}

// utime + stime in clock ticks, per process of the tree.
std::map<pid_t, long long> tree_cpu_ticks(const std::vector<pid_t>& roots) {
    std::map<pid_t, long long> ticks;
    for (pid_t pid : process_trees(roots)) {
        if (!counted(pid)) continue;
        const auto f = stat_fields(pid);
        if (f.size() > 12) ticks[pid] = std::stoll(f[11]) + std::stoll(f[12]);
    }
    return ticks;
}

// ---- one run -----------------------------------------------------------------------

struct Sample {
    double first_ms = 0;  // start to the (last) page's request
    double last_ms = 0;   // start to the last sub-resource's request
    Memory memory;
    double idle_cpu_percent = 0;
};

double ms_since(Clock::time_point start, Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(t - start).count();
}

// How a browser is started on the page of one site: its program and arguments, given
// the fresh home folder of the run and the site's number.
using Command = std::function<std::vector<std::string>(const std::filesystem::path& home, std::size_t site)>;

// Starts the browser on the page of every site at once, with fresh folders; without
// `measure_idle` it only waits for the pages (a warm-up).
std::optional<Sample> run_once(const std::vector<std::unique_ptr<HttpServer>>& sites, const Command& command,
                               const std::filesystem::path& registry, bool measure_idle) {
    TempDir home;
    for (const char* sub : {"cache", "data", "config"}) std::filesystem::create_directory(home / sub);
    const std::map<std::string, std::string> env = {{"HOME", home.path()},
                                                    {"XDG_CACHE_HOME", home / "cache"},
                                                    {"XDG_DATA_HOME", home / "data"},
                                                    {"XDG_CONFIG_HOME", home / "config"},
                                                    {"GST_REGISTRY", registry}};
    for (const auto& site : sites) site->clear();
    const auto start = Clock::now();
    std::list<Process> browsers;
    std::vector<pid_t> pids;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const auto argv = command(home.path(), i);
        pids.push_back(browsers.emplace_back(argv.front(), std::vector<std::string>(argv.begin() + 1, argv.end()), env).pid());
    }

    Sample s;
    for (const auto& site : sites) {
        if (!site->wait_for("/index.html", 1, kLoadTimeout)) return std::nullopt;
        for (const auto& path : kResources)
            if (!site->wait_for(path, 1, kLoadTimeout)) return std::nullopt;
        std::map<std::string, Clock::time_point> first_request;
        for (const auto& r : site->requests()) first_request.try_emplace(r.path, r.time);
        s.first_ms = std::max(s.first_ms, ms_since(start, first_request["/index.html"]));
        for (const auto& path : kResources) s.last_ms = std::max(s.last_ms, ms_since(start, first_request[path]));
    }
    if (!measure_idle) return s;

    std::this_thread::sleep_for(kSettle);
    s.memory = tree_memory(pids);
    const auto before = tree_cpu_ticks(pids);
    const auto idle_start = Clock::now();
    std::this_thread::sleep_for(kIdle);
    const auto after = tree_cpu_ticks(pids);
    const double seconds = std::chrono::duration<double>(Clock::now() - idle_start).count();
    long long used = 0;
    for (const auto& [pid, ticks] : after) {
        auto was = before.find(pid);
        used += ticks - (was == before.end() ? 0 : was->second);
    }
    s.idle_cpu_percent = 100.0 * static_cast<double>(used) / static_cast<double>(sysconf(_SC_CLK_TCK)) / seconds;
    return s;  // each browser's process group ends with `browsers`
}

// ---- report ------------------------------------------------------------------------

struct Contender {
    Contender(std::string name, Command command) : name(std::move(name)), command(std::move(command)) {}

    std::string name;
    Command command;
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

// How many of each browser are open at once; each one's share of memory is the sum / this.
int open_at_once = 1;

void print_row(const std::string& name, const std::string& run, const Sample& s) {
    std::fprintf(report, "%-18s %5s %12.0f %12.0f %10.1f %10.1f %10.1f %9.1f %9.1f %6d %10.2f\n", name.c_str(), run.c_str(),
                 s.first_ms, s.last_ms, s.memory.rss_mib, s.memory.pss_mib, s.memory.anon_mib, s.memory.pss_mib / open_at_once,
                 s.memory.anon_mib / open_at_once, s.memory.processes, s.idle_cpu_percent);
}

void print_header() {
    std::fprintf(report, "%-18s %5s %12s %12s %10s %10s %10s %9s %9s %6s %10s\n", "browser", "round", "first req ms",
                 "last res ms", "RSS MiB", "PSS MiB", "anon MiB", "PSS/one", "anon/one", "procs", "idle CPU %");
}

// The peers, as they are started here. Chromium refuses to run as root unless its
// sandbox is off, and is kept from reaching out (updates, sync, first-run pages) so that
// only the page is measured; its profile is fresh like everyone's folders.
std::vector<Contender> peers(const std::vector<std::string>& pages) {
    return {
        {"surf", [pages](const std::filesystem::path&, std::size_t site) {
             return std::vector<std::string>{"/usr/bin/surf", pages[site]};
         }},
        {"GNOME Web",
         [pages](const std::filesystem::path&, std::size_t site) {
             return std::vector<std::string>{"/usr/bin/dbus-run-session", "--", "/usr/bin/epiphany-browser",
                                             "--private-instance", pages[site]};
         }},
        {"Chromium --app",
         [pages](const std::filesystem::path& home, std::size_t site) {
             std::vector<std::string> argv{"/usr/bin/chromium",
                                           "--app=" + pages[site],
                                           "--user-data-dir=" + (home / "chromium").string(),
                                           "--no-first-run",
                                           "--no-default-browser-check",
                                           "--disable-background-networking",
                                           "--disable-component-update",
                                           "--disable-sync",
                                           "--password-store=basic"};
             if (geteuid() == 0) argv.push_back("--no-sandbox");
             return argv;
         }},
    };
}

// The programs a peer needs, all of which must be there.
std::vector<std::string> needed_programs(const Contender& c, const std::filesystem::path& home) {
    std::vector<std::string> programs;
    for (const auto& a : c.command(home, 0))
        if (a.rfind("/usr/bin/", 0) == 0) programs.push_back(a);
    return programs;
}

bool installed(const Contender& c) {
    for (const auto& program : needed_programs(c, "/nonexistent"))
        if (access(program.c_str(), X_OK) != 0) return false;
    return true;
}

struct Goal {
    const char* what;
    double value, limit;
    bool below;  // the value must be below the limit, not at most it
};

}  // namespace

int main(int argc, char** argv) {
    int rounds = 7;
    bool start_only = false, song = true;
    std::vector<NamedTemplate> templates{{"created program", template_path()}};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--start-only") {
            start_only = true;
        } else if (arg == "--no-song") {
            song = false;
        } else if (arg == "--open" && i + 1 < argc && std::atoi(argv[i + 1]) >= 1 && std::atoi(argv[i + 1]) <= 200) {
            open_at_once = std::atoi(argv[++i]);
        } else if (arg == "--template" && i + 1 < argc) {
            if (!add_template(argv[++i], templates)) return 2;
        } else if (auto n = rounds_argument(arg)) {
            rounds = *n;
        } else {
            std::fprintf(stderr, "usage: %s [rounds] [--open N] [--start-only] [--no-song] [--template NAME=PATH]...   (rounds >= 1, "
                                 "default 7; N default 1)\n", argv[0]);
            return 2;
        }
    }
    setvbuf(stdout, nullptr, _IOLBF, 0);  // the report, until the browsers are quietened

    std::vector<std::unique_ptr<HttpServer>> sites;
    std::vector<std::string> pages;
    for (int i = 1; i <= open_at_once; ++i) {
        sites.push_back(std::make_unique<HttpServer>(HttpServer::Security::Plain, 0, "127.0.0." + std::to_string(i)));
        serve_page(*sites.back());
        pages.push_back(sites.back()->url("/index.html"));
    }

    TempDir folder;
    std::vector<Contender> contenders;
    for (const auto& [name, file] : templates) {
        std::vector<std::filesystem::path> programs;  // one for each site, named after it
        for (int i = 0; i < open_at_once; ++i) {
            programs.push_back(folder / ("bench-browser-" + std::to_string(contenders.size()) + "-site" + std::to_string(i + 1)));
            auto record = default_record();
            record.WriteProperty("Text1", pages[i]);
            record.WriteProperty("url", song ? sites[i]->url("/song.mp3") : std::string());
            record.WriteProperty("custom26", std::string("True"));
            make_created_program(programs.back(), record, file);
            if (std::filesystem::file_size(programs.back()) <= std::filesystem::file_size(file)) {
                std::fprintf(stderr, "could not make a created program from %s\n", file.c_str());
                return 2;
            }
        }
        std::fprintf(report, "%s: template %s, %ju bytes\n", name.c_str(), file.c_str(),
                    static_cast<std::uintmax_t>(std::filesystem::file_size(file)));
        contenders.emplace_back(name, [programs](const std::filesystem::path&, std::size_t site) {
            return std::vector<std::string>{programs[site]};
        });
    }
    const std::size_t ours = contenders.size();  // the created programs come first

    auto all_peers = peers(pages);
    const bool any_missing = std::any_of(all_peers.begin(), all_peers.end(), [](const Contender& c) { return !installed(c); });
    if (any_missing && geteuid() == 0) {
        std::fprintf(report, "installing the missing peers with %s\n", KELVANE_INSTALL_PEERS);
        if (std::system(KELVANE_INSTALL_PEERS) != 0) std::fprintf(report, "the installation failed\n");
    }
    for (auto& peer : all_peers) {
        if (installed(peer))
            contenders.push_back(std::move(peer));
        else
            std::fprintf(report, "%s is not installed (bench/install-peers installs it): left out\n", peer.name.c_str());
    }

    ensure_display();
    std::fprintf(report, "%d open at once; page %s%s (+ %zu sub-resources), %s; %d rounds, "
                "round-robin; memory %lld s after the last resource, idle CPU over the next %lld s\n",
                open_at_once, pages.front().c_str(), open_at_once > 1 ? " and the same on further sites" : "", kResources.size(),
                song ? "song /song.mp3 (not served)" : "no song", rounds,
                static_cast<long long>(kSettle.count()), static_cast<long long>(kIdle.count()));
    std::fprintf(report, "memory: VmRSS (/proc/<pid>/status) and Pss (/proc/<pid>/smaps_rollup), summed over the process "
                "and its descendants\n\n");

    report = quiet_browsers();

    // One unmeasured start of each first, so that the first measured run does not pay
    // alone for reading the shared libraries from disk; it also makes the registry.
    const auto registry = folder / "gstreamer-registry.bin";
    for (auto& c : contenders)
        if (!run_once(sites, c.command, registry, false)) std::fprintf(report, "warm-up of %s timed out\n", c.name.c_str());

    print_header();
    for (int round = 1; round <= rounds; ++round) {
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            auto& c = contenders[(k + static_cast<std::size_t>(round) - 1) % contenders.size()];
            if (auto s = run_once(sites, c.command, registry, !start_only)) {
                c.samples.push_back(*s);
                print_row(c.name, std::to_string(round), *s);
            } else {
                ++c.failures;
                std::fprintf(report, "%-18s %5d   timed out: the page or a sub-resource was not asked for in %lld s\n",
                            c.name.c_str(), round, static_cast<long long>(kLoadTimeout.count()));
            }
        }
    }

    std::fprintf(report, "\nmedians\n");
    print_header();
    for (const auto& c : contenders) {
        Sample m;
        m.first_ms = c.med(&Sample::first_ms);
        m.last_ms = c.med(&Sample::last_ms);
        m.memory.rss_mib = c.med_memory(&Memory::rss_mib);
        m.memory.pss_mib = c.med_memory(&Memory::pss_mib);
        m.memory.anon_mib = c.med_memory(&Memory::anon_mib);
        m.memory.processes = c.samples.empty() ? 0 : c.samples.front().memory.processes;
        m.idle_cpu_percent = c.med(&Sample::idle_cpu_percent);
        print_row(c.name, "med", m);
        if (c.failures) std::fprintf(report, "%-18s %d of %d runs timed out\n", c.name.c_str(), c.failures, rounds);
    }

    auto find = [&](const char* name) -> const Contender* {
        for (std::size_t i = ours; i < contenders.size(); ++i)
            if (contenders[i].name == name && !contenders[i].samples.empty()) return &contenders[i];
        return nullptr;
    };
    const Contender* surf = find("surf");
    const Contender* chromium = find("Chromium --app");
    std::fprintf(report, "\ngoals (the machine's load moves every figure; compare within one run)\n");
    for (std::size_t i = 0; i < ours; ++i) {
        const Contender& c = contenders[i];
        if (c.samples.empty()) {
            std::fprintf(report, "%s never loaded the page\n", c.name.c_str());
            continue;
        }
        // One open: against surf's start and memory. Several: anonymous memory, which the
        // machine's other programs do not move, against surf's and toward Chromium's, whose
        // windows share one browser.
        auto anon_ratio = [&](const Contender& peer) {
            return c.med_memory(&Memory::anon_mib) / peer.med_memory(&Memory::anon_mib);
        };
        std::vector<Goal> goals;
        if (surf && open_at_once == 1) {
            goals.push_back({"first request / surf's", c.med(&Sample::first_ms) / surf->med(&Sample::first_ms), 0.85, false});
            if (!start_only) {
                goals.push_back({"PSS / surf's", c.med_memory(&Memory::pss_mib) / surf->med_memory(&Memory::pss_mib), 0.90, false});
                goals.push_back({"(anonymous PSS / surf's)", anon_ratio(*surf), 0.90, false});
            }
        }
        if (surf && open_at_once > 1 && !start_only) goals.push_back({"anonymous PSS / surf's", anon_ratio(*surf), 0.80, false});
        if (chromium && open_at_once > 1 && !start_only)
            goals.push_back({"(anonymous PSS / Chromium's)", anon_ratio(*chromium), 1.0, false});
        if (chromium) {
            goals.push_back({"first request / Chromium's", c.med(&Sample::first_ms) / chromium->med(&Sample::first_ms), 1.0, false});
            goals.push_back({"last resource / Chromium's", c.med(&Sample::last_ms) / chromium->med(&Sample::last_ms), 1.0, false});
        }
        if (!start_only) goals.push_back({"idle CPU, % of a core", c.med(&Sample::idle_cpu_percent), 0.5 * open_at_once, true});
        std::fprintf(report, "%s\n", c.name.c_str());
        for (const Goal& g : goals) {
            const bool met = g.below ? g.value < g.limit : g.value <= g.limit;
            std::fprintf(report, "  %-28s %6.2f  target %s %.2f  %s\n", g.what, g.value, g.below ? "<" : "<=", g.limit,
                        met ? "met" : "NOT met");
        }
    }
    return 0;
}
