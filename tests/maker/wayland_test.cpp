// The maker and the browsers it makes on a Wayland desktop (weston, headless): where it offers
// X11 (XWayland) they run on that, where windows are placed and sized as designed; where it
// does not, they run natively and warn of nothing.
#include <gtest/gtest.h>

#include "tests/support/created_program.h"
#include "tests/support/patience.h"
#include "tests/support/process.h"

namespace kelvane::test {
namespace {

class OnWayland : public testing::TestWithParam<std::tuple<const char*, bool>> {};

TEST_P(OnWayland, RunsOnXWaylandWhereOfferedAndNativelyElsewhere) {
    const auto [name, xwayland] = GetParam();
    TempDir folder, runtime;
    std::filesystem::permissions(runtime.path(), std::filesystem::perms::owner_all);  // as Wayland wants it
    std::vector<std::string> args{"--backend=headless-backend.so", "--socket=wayland-test", "--no-config",
                                  "--log=" + (runtime / "log").string()};
    if (xwayland) args.push_back("--xwayland");
    Process weston("/usr/bin/weston", args, {{"XDG_RUNTIME_DIR", runtime.path().string()}});
    std::string display;  // the X display that it offers, as it names it when it starts XWayland
    ASSERT_TRUE(wait_until([&] {
        const std::string log = read_all(runtime / "log"), listening = "xserver listening on display ";
        if (const auto at = log.find(listening); at != std::string::npos)
            display = log.substr(at + listening.size(), log.find('\n', at) - at - listening.size());
        return std::filesystem::exists(runtime / "wayland-test") && (!xwayland || !display.empty());
    }));
    const std::filesystem::path program = folder / name;
    const bool maker = name == std::string("kelvanemaker");
    const std::string title = maker ? "Kelvane" : "Made Here";
    if (maker) {
        std::filesystem::copy_file(KELVANE_MAKER_PATH, program);
        std::filesystem::copy_file(template_path(), folder / "browser.dat");
    } else {
        SettingsRecord record = default_record();
        for (const auto& [key, text] : {std::pair{"Caption", title.c_str()}, {"Text1", "about:blank"}, {"url", ""}})
            record.WriteProperty(key, std::string(text));
        make_created_program(program, record);
    }
    const auto said = folder / "said";  // its error output, and natively what it says to the desktop
    Process started("/bin/sh", {"-c", "exec \"$0\" 2>\"$1\"", program.string(), said.string()},
                    {{"XDG_RUNTIME_DIR", runtime.path().string()}, {"WAYLAND_DISPLAY", "wayland-test"},
                     {"DISPLAY", display}, {"HOME", folder.path().string()}, {"XDG_DATA_HOME", (folder / "data").string()},
                     {"XDG_CACHE_HOME", (folder / "cache").string()}, {"WAYLAND_DEBUG", xwayland ? "" : "client"}});
    // On XWayland its window, named, is among the X display's windows, wherever the desktop
    // framed it; natively it names its window to the desktop and shows it.
    const std::string seen = xwayland ? "xwininfo -root -tree -display " + display + " 2>/dev/null | grep -qF '\"" + title + "\": ('"
                                      : "grep -qF '.set_title(\"" + title + "\")' " + said.string() + " 2>/dev/null && grep -qF " +
                                            ".ack_configure " + said.string();
    EXPECT_TRUE(wait_until([&] { return std::system(seen.c_str()) == 0; }));
    if (xwayland) return;
    EXPECT_TRUE(started.running());
    // Nothing but the keyboard and pointer missing, which a headless desktop has none of, and
    // the session bus, which it has none of either: the toolkit in the sandboxed web process
    // looks for the desktop's settings portal there whenever that process starts.
    const std::string warnings = "grep -E 'WARNING|CRITICAL' " + said.string() +
                                 " | grep -qvE 'GDK_IS_SEAT|GDK_IS_DEVICE|Settings portal not found'";
    EXPECT_NE(std::system(warnings.c_str()), 0) << read_all(said);
}

INSTANTIATE_TEST_SUITE_P(Desktops, OnWayland, testing::Combine(testing::Values("kelvanemaker", "program"), testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param)) + (std::get<1>(info.param) ? "OnXWayland" : "Natively");
                         });

}  // namespace
}  // namespace kelvane::test
