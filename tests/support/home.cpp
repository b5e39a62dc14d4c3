#include "tests/support/home.h"

#include <cstdlib>

#include "tests/support/created_program.h"

namespace kelvane::test {

void isolate_home() {
    static const TempDir home;
    const std::pair<const char*, const char*> folders[] = {
        {"HOME", ""}, {"XDG_DATA_HOME", ".local/share"}, {"XDG_CACHE_HOME", ".cache"},
        {"XDG_CONFIG_HOME", ".config"}, {"XDG_RUNTIME_DIR", ".run"}};
    for (auto [variable, below] : folders) {
        std::filesystem::create_directories(home / below);
        setenv(variable, (home / below).c_str(), 1);
    }
    std::filesystem::permissions(home / ".run", std::filesystem::perms::owner_all);
    // Nor the user's session bus: a program under test would find there one started by
    // another test, and open its window in that one.
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

}  // namespace kelvane::test
