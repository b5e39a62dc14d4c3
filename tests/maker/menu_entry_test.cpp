// Menu entries of created programs and of the maker: what they say, that the desktop's
// own tools accept them, and that starting one opens the program's window.
#include <gtest/gtest.h>
#include <glib.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <regex>
#include <set>

#include "common/program_trailer.h"
#include "maker/compiler/compiler.h"
#include "maker/compiler/menu_entry.h"
#include "platform/desktop_id.h"
#include "platform/user_folders.h"
#include "tests/support/created_program.h"
#include "tests/support/media_files.h"
#include "tests/support/patience.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

namespace fs = std::filesystem;

// Says why the desktop's validator refuses an entry, or nothing.
std::string validation_failure(const fs::path& entry) {
    gchar *out = nullptr, *err = nullptr;
    gint status = -1;
    gchar* argv[] = {const_cast<gchar*>("desktop-file-validate"), const_cast<gchar*>(entry.c_str()), nullptr};
    g_spawn_sync(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &out, &err, &status, nullptr);
    const std::string said = std::string(out ? out : "") + (err ? err : "");
    g_free(out);
    g_free(err);
    return status == 0 && said.find("error") == std::string::npos ? "" : "refused (" + std::to_string(status) + "): " + said;
}

// A key of an entry as the desktop reads it, with its escapes undone; "Exec" split into
// its words as a launcher splits it ('%%' is '%', then shell quoting), one a line.
std::string entry_value(const fs::path& entry, const char* key) {
    std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> file(g_key_file_new(), g_key_file_free);
    g_key_file_load_from_file(file.get(), entry.c_str(), G_KEY_FILE_NONE, nullptr);
    std::unique_ptr<gchar, decltype(&g_free)> value(g_key_file_get_string(file.get(), "Desktop Entry", key, nullptr), g_free);
    std::string text = value ? value.get() : "";
    if (std::string(key) != "Exec") return text;
    for (std::size_t at = text.find("%%"); at != std::string::npos; at = text.find("%%", at + 1)) text.erase(at, 1);
    gchar** argv = nullptr;
    std::string words;
    if (g_shell_parse_argv(text.c_str(), nullptr, &argv, nullptr))
        for (gchar** a = argv; *a; ++a) words += std::string(*a) + "\n";
    g_strfreev(argv);
    return words;
}

std::pair<int, int> image_size(const fs::path& path) {
    int width = 0, height = 0;
    gdk_pixbuf_get_file_info(path.c_str(), &width, &height);
    return {width, height};
}

std::set<std::string> files_in(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

// An entry started the way a desktop starts it, by `gio launch`, and the window that it
// opened. The launcher ends at once; this process adopts the program it started (as the
// reaper of its orphaned descendants) and ends it with the test.
struct Launched {
    Launched(const fs::path& entry, const std::string& title) {
        prctl(PR_SET_CHILD_SUBREAPER, 1);
        launcher_status = Process("/usr/bin/gio", {"launch", entry.string()}).wait(kPatience);
        if (launcher_status == 0) window = find_window_titled(title);
        if (window) pid = window_pid(window->id).value_or(-1);
    }
    ~Launched() {
        if (pid > 0 && kill(pid, SIGTERM) == 0) waitpid(pid, nullptr, 0);
    }
    std::optional<int> launcher_status;
    std::optional<XWindowInfo> window;
    pid_t pid = -1;
};

TEST(DesktopId, TellsFileNamesApartInCharactersThatEntriesAndClassesTake) {
    const std::string long_a(250, 'a');
    const std::vector<std::string> names = {
        "programname.exe", "my browser.exe", "my_browser.exe", "my_20browser.exe", "My Browser.exe", "Ünï cödé",
        "-", "$(rm -rf ~)", long_a, long_a.substr(1) + "b", long_a + "a", std::string(200, '%')};
    std::set<std::string> ids;
    for (const std::string& name : names) {
        const std::string id = desktop_id(name);
        EXPECT_TRUE(std::regex_match(id, std::regex("kelvane-[A-Za-z0-9_-]+"))) << id;
        EXPECT_LE(id.size() + std::string(".desktop").size(), 255u) << name;
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), names.size());
}

// Folders and file names with what an Exec line reserves, what a value escapes and
// what the shell would expand: the entry passes the validator, names the program exactly
// and, launched as a desktop launches it, starts it. Paths that an entry cannot carry make
// no entry.
TEST(MenuEntryText, NamesTheProgramExactlyWhateverItsFolder) {
    TempDir folder;
    for (const char* odd : {"plain", "quote\"d and 'single'", "dollar $HOME ${x}", "back`tick`", "back\\slash\\",
                            "percent %u %f %%", "a=b %u=%%", "semi;colon & amp | pipe", "lt<gt>star*what?hash#(paren)~",
                            "tab\there", " both ends ", "ünïcødé"}) {
        SCOPED_TRACE(odd);
        const fs::path program = folder / odd / "my browser.exe", icon = folder / odd / "icon.png";
        const std::string name = std::string("Granny's \"Browser\" ") + odd;
        const auto text = menu_entry_text({name, program, icon, "kelvane-x"});
        ASSERT_TRUE(text);
        const fs::path entry = folder / "kelvane-x.desktop";
        g_file_set_contents(entry.c_str(), text->data(), static_cast<gssize>(text->size()), nullptr);
        EXPECT_EQ(validation_failure(entry), "") << *text;
        EXPECT_EQ(entry_value(entry, "Name"), name);
        EXPECT_EQ(entry_value(entry, "TryExec"), program.string());
        EXPECT_EQ(entry_value(entry, "Icon"), icon.string());
        EXPECT_EQ(entry_value(entry, "StartupWMClass"), "kelvane-x");
        // Started as a desktop starts it, the entry runs the program it names, as it is named.
        fs::create_directories(program.parent_path());
        g_file_set_contents(program.c_str(), "#!/bin/sh\nprintf %s \"$0\" > \"$0.started\"\n", -1, nullptr);
        fs::permissions(program, fs::perms::owner_all);
        EXPECT_EQ(Process("/usr/bin/gio", {"launch", entry.string()}).wait(kPatience), 0) << *text;
        EXPECT_TRUE(wait_until([&] { return read_all(program.string() + ".started") == program.string(); })) << *text;
    }
    for (const char* folder : {"/tmp/bell\a", "/tmp/\xff\xfe", "/tmp/del\x7f"})
        EXPECT_FALSE(menu_entry_text({"Browser", fs::path(folder) / "program", "/tmp/icon.png", "kelvane-program"})) << folder;
}

class MenuEntries : public testing::Test {
protected:
    MenuEntries() {
        fs::create_directories(maker_folder);
        fs::copy_file(template_path(), maker_folder / "browser.dat");
        record.WriteProperty("Caption", std::string("Granny's Browser"));
    }
    ~MenuEntries() override { fs::remove_all(applications_folder()); }

    TempDir folder;
    const fs::path maker_folder = folder / "maker's folder $HOME %u";  // one that a launcher must quote
    SettingsRecord record = default_record();
};

TEST_F(MenuEntries, CompileInstallsAnEntryThatStartsTheProgram) {
    const std::string file = "granny browser.exe";
    ASSERT_EQ(compile_program(record, maker_folder, file).error, "");
    const fs::path entry = menu_entry_path(file);
    ASSERT_EQ(entry.parent_path(), applications_folder());
    EXPECT_EQ(validation_failure(entry), "");
    EXPECT_EQ(entry_value(entry, "Type"), "Application");
    EXPECT_EQ(entry_value(entry, "Name"), "Granny's Browser");
    EXPECT_EQ(entry_value(entry, "Categories"), "Network;WebBrowser;");
    EXPECT_EQ(fs::path(entry_value(entry, "Icon")), program_data_folder(file) / "icon.png");

    const Launched launched(entry, "Granny's Browser");
    ASSERT_EQ(launched.launcher_status, 0);
    ASSERT_TRUE(launched.window);
    ASSERT_GT(launched.pid, 0);
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(launched.pid) + "/exe"), maker_folder / file);
    EXPECT_EQ(window_class(launched.window->id), std::make_pair(desktop_id(file), desktop_id(file)))
        << "its windows group under its entry";
}

// The chosen icon, no larger than a menu needs, or our own browser icon; compiling again
// replaces only that program's entry.
TEST_F(MenuEntries, TheEntryShowsTheChosenIconAndFollowsTheLastCompile) {
    const struct {
        const char* file;
        Picture chosen;
        std::pair<int, int> icon;
    } cases[] = {
        {"one", Picture{}, {128, 128}},               // none chosen: our own
        {"two", png_picture(48, 32), {48, 32}},       // as chosen
        {"one", png_picture(1024, 512), {256, 128}},  // scaled down, in proportion
        {"one", Picture{{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}}, {128, 128}},
    };
    for (const auto& c : cases) {
        const std::string name = std::string(c.file) + " with " + std::to_string(c.chosen.bytes.size());
        record.WriteProperty("Caption", name);
        record.WriteProperty("picture", c.chosen);
        ASSERT_EQ(compile_program(record, maker_folder, c.file).error, "");
        EXPECT_EQ(entry_value(menu_entry_path(c.file), "Name"), name);
        EXPECT_EQ(image_size(entry_value(menu_entry_path(c.file), "Icon")), c.icon) << name;
        EXPECT_EQ(read_trailer(maker_folder / c.file), record) << "the program still carries what was chosen";
    }
    EXPECT_EQ(files_in(applications_folder()),
              (std::set<std::string>{menu_entry_path("one").filename(), menu_entry_path("two").filename()}))
        << "no temporary files either";
    EXPECT_EQ(files_in(program_data_folder("one")), std::set<std::string>{"icon.png"});
    EXPECT_EQ(files_in(maker_folder), (std::set<std::string>{"browser.dat", "one", "two"})) << "nothing else is made there";
}

// Root writes into read-only folders, so the folder cannot be made at all: a plain file
// stands where it belongs.
TEST_F(MenuEntries, UnwritableApplicationsFolderLeavesAWorkingProgramAndNoEntry) {
    fs::remove_all(applications_folder());
    fs::create_directories(applications_folder().parent_path());
    g_file_set_contents(applications_folder().c_str(), "not a folder", -1, nullptr);
    testing::internal::CaptureStderr();
    const CompileResult result = compile_program(record, maker_folder, "program");
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_EQ(result.error, "");
    EXPECT_NE(said.find("no menu entry"), std::string::npos) << said;
    EXPECT_TRUE(fs::is_regular_file(applications_folder()));
    Process program(maker_folder / "program");
    auto window = find_window(program.pid());
    ASSERT_TRUE(window);
    EXPECT_EQ(window->title, "Granny's Browser");
}

TEST(MakerMenuEntry, TheStartToolsEntryStartsTheMaker) {
    Process tool("/bin/sh", {KELVANE_TOOLS_DIR "/maker-menu-entry", KELVANE_MAKER_PATH},
                 {{"XDG_DATA_HOME", applications_folder().parent_path().string()}});
    ASSERT_EQ(tool.wait(kPatience), 0);
    const fs::path entry = applications_folder() / "kelvanemaker.desktop";
    EXPECT_EQ(validation_failure(entry), "");
    EXPECT_EQ(entry_value(entry, "Exec"), KELVANE_MAKER_PATH "\n");
    EXPECT_EQ(entry_value(entry, "TryExec"), KELVANE_MAKER_PATH);
    EXPECT_TRUE(fs::is_regular_file(entry_value(entry, "Icon")));
    const Launched launched(entry, "Kelvane");
    ASSERT_EQ(launched.launcher_status, 0);
    ASSERT_TRUE(launched.window);
    EXPECT_EQ(window_class(launched.window->id).first, entry_value(entry, "StartupWMClass"));
    fs::remove(entry);
}

}  // namespace
}  // namespace kelvane::test
