#include "tests/support/home.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace kelvane::test {
namespace {

std::filesystem::path home_root;

void remove_home() {
    std::error_code ignored;
    if (!home_root.empty()) std::filesystem::remove_all(home_root, ignored);
}

}  // namespace

void isolate_home() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvane-home-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary home folder");
    home_root = pattern;
    std::atexit(remove_home);
    const std::pair<const char*, const char*> folders[] = {
        {"HOME", ""}, {"XDG_DATA_HOME", ".local/share"}, {"XDG_CACHE_HOME", ".cache"},
        {"XDG_CONFIG_HOME", ".config"}, {"XDG_RUNTIME_DIR", ".run"}};
    for (auto [variable, below] : folders) {
        const std::filesystem::path folder = home_root / below;
        std::filesystem::create_directories(folder);
        setenv(variable, folder.c_str(), 1);
    }
    std::filesystem::permissions(home_root / ".run", std::filesystem::perms::owner_all);
    // Nor the user's session bus: a program under test would find there one started by
    // another test, and open its window in that one.
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

}  // namespace kelvane::test
