// Menu entries of created programs and of the maker: what they say, that the desktop's
// own tools accept them, and that starting one opens the program's window.
#include <gtest/gtest.h>
#include <glib.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <memory>
#include <regex>
#include <set>

#include "common/program_trailer.h"
#include "maker/compiler/compiler.h"
#include "maker/compiler/menu_entry.h"
#include "platform/desktop_id.h"
#include "platform/user_folders.h"
#include "tests/support/created_program.h"
#include "tests/support/media_files.h"
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
    if (!g_spawn_sync(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &out, &err, &status, nullptr))
        return "desktop-file-validate did not run";
    const std::string said = std::string(out ? out : "") + (err ? err : "");
    g_free(out);
    g_free(err);
    return status == 0 && said.find("error") == std::string::npos ? "" : said;
}

// An entry as the desktop reads it: each key with its escapes undone.
class KeyFile {
public:
    explicit KeyFile(const fs::path& path) : file_(g_key_file_new(), g_key_file_free) {
        loaded_ = g_key_file_load_from_file(file_.get(), path.c_str(), G_KEY_FILE_NONE, nullptr);
    }
    bool loaded() const { return loaded_; }
    std::string operator[](const char* key) const {
        gchar* value = g_key_file_get_string(file_.get(), "Desktop Entry", key, nullptr);
        std::string text = value ? value : "";
        g_free(value);
        return text;
    }
    // The command line of Exec as a launcher splits it: '%%' is '%', then shell quoting.
    std::vector<std::string> exec_argv() const {
        std::string line = (*this)["Exec"];
        for (std::size_t at = line.find("%%"); at != std::string::npos; at = line.find("%%", at + 1)) line.erase(at, 1);
        gchar** argv = nullptr;
        std::vector<std::string> args;
        if (!g_shell_parse_argv(line.c_str(), nullptr, &argv, nullptr)) return args;
        for (gchar** a = argv; *a; ++a) args.emplace_back(*a);
        g_strfreev(argv);
        return args;
    }

private:
    std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> file_;
    bool loaded_ = false;
};

std::pair<int, int> image_size(const fs::path& path) {
    int width = 0, height = 0;
    if (!gdk_pixbuf_get_file_info(path.c_str(), &width, &height)) return {0, 0};
    return {width, height};
}

std::set<std::string> files_in(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) names.insert(entry.path().filename().string());
    return names;
}

// An entry started the way a desktop starts it, by `gio launch`, and the window that it
// opened. The launcher ends at once; this process adopts the program it started (as the
// reaper of its orphaned descendants) and ends it with the test.
struct Launched {
    Launched(const fs::path& entry, const std::string& title) {
        prctl(PR_SET_CHILD_SUBREAPER, 1);
        Process launcher("/usr/bin/gio", {"launch", entry.string()});
        launcher_status = launcher.wait(kPatience);
        if (launcher_status == 0) window = find_window_titled(title);
        if (window) pid = window_pid(window->id).value_or(-1);
    }
    ~Launched() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    Launched(const Launched&) = delete;
    Launched& operator=(const Launched&) = delete;

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
// what the shell would expand: the entry passes the validator and names the program
// exactly. Paths that an entry cannot carry make no entry.
TEST(MenuEntryText, NamesTheProgramExactlyWhateverItsFolder) {
    TempDir folder;
    for (const char* odd : {"plain", "quote\"d and 'single'", "dollar $HOME ${x}", "back`tick`", "back\\slash\\",
                            "percent %u %f %%", "semi;colon & amp | pipe", "lt<gt>star*what?hash#(paren)~", "tab\there",
                            " both ends ", "ünïcødé"}) {
        SCOPED_TRACE(odd);
        const fs::path program = folder / odd / "my browser.exe", icon = folder / odd / "icon.png";
        const std::string name = std::string("Granny's \"Browser\" ") + odd;
        const auto text = menu_entry_text({name, program, icon, "kelvane-x"});
        ASSERT_TRUE(text);
        const fs::path entry = folder / "kelvane-x.desktop";
        g_file_set_contents(entry.c_str(), text->data(), static_cast<gssize>(text->size()), nullptr);
        EXPECT_EQ(validation_failure(entry), "") << *text;
        KeyFile read(entry);
        ASSERT_TRUE(read.loaded()) << *text;
        EXPECT_EQ(read["Name"], name);
        // GLib drops entries whose program it cannot find by the Exec line's first word as
        // written, so a path that needs '%%' is started through env.
        EXPECT_EQ(read.exec_argv().back(), program.string()) << *text;
        EXPECT_EQ(read.exec_argv().size(), program.string().find('%') == std::string::npos ? 1u : 2u) << *text;
        EXPECT_EQ(read["TryExec"], program.string());
        EXPECT_EQ(read["Icon"], icon.string());
        EXPECT_EQ(read["StartupWMClass"], "kelvane-x");
    }
    for (const char* folder : {"/tmp/bell\a", "/tmp/\xff\xfe", "/tmp/del\x7f"})
        EXPECT_FALSE(menu_entry_text({"Browser", fs::path(folder) / "program", "/tmp/icon.png", "kelvane-program"})) << folder;
}

class MenuEntries : public testing::Test {
protected:
    MenuEntries() {
        fs::create_directories(maker_folder);
        fs::copy_file(template_path(), maker_folder / "browser.dat");
        record = default_record();
        record.WriteProperty("Caption", std::string("Granny's Browser"));
    }
    ~MenuEntries() override {
        std::error_code ignored;
        fs::remove_all(applications_folder(), ignored);
    }

    TempDir folder;
    // Where the maker is: a folder name that a launcher must quote.
    const fs::path maker_folder = folder / "maker's folder $HOME %u";
    SettingsRecord record;
};

TEST_F(MenuEntries, CompileInstallsAnEntryThatStartsTheProgram) {
    const std::string file = "granny browser.exe";
    ASSERT_EQ(compile_program(record, maker_folder, file).error, "");
    const fs::path entry = menu_entry_path(file);
    ASSERT_EQ(entry.parent_path(), applications_folder());
    EXPECT_EQ(validation_failure(entry), "");
    KeyFile read(entry);
    ASSERT_TRUE(read.loaded());
    EXPECT_EQ(read["Type"], "Application");
    EXPECT_EQ(read["Name"], "Granny's Browser");
    EXPECT_EQ(read["Categories"], "Network;WebBrowser;");
    EXPECT_EQ(fs::path(read["Icon"]), program_data_folder(file) / "icon.png");

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
        {"one", Picture{}, {128, 128}},                       // none chosen: our own
        {"two", png_picture(48, 32), {48, 32}},               // as chosen
        {"one", png_picture(1024, 512), {256, 128}},          // scaled down, in proportion
        {"one", Picture{{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}}, {128, 128}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen.bytes.size());
        record.WriteProperty("Caption", std::string(c.file) + " with " + std::to_string(c.chosen.bytes.size()));
        record.WriteProperty("picture", c.chosen);
        ASSERT_EQ(compile_program(record, maker_folder, c.file).error, "");
        KeyFile read(menu_entry_path(c.file));
        EXPECT_EQ(read["Name"], std::string(c.file) + " with " + std::to_string(c.chosen.bytes.size()));
        EXPECT_EQ(image_size(read["Icon"]), c.icon);
        EXPECT_EQ(read_trailer(maker_folder / c.file), record) << "the program still carries what was chosen";
    }
    EXPECT_EQ(files_in(applications_folder()),
              (std::set<std::string>{menu_entry_path("one").filename().string(), menu_entry_path("two").filename().string()}))
        << "no temporary files either";
    EXPECT_EQ(files_in(program_data_folder("one")), std::set<std::string>{"icon.png"});
    EXPECT_EQ(files_in(maker_folder), (std::set<std::string>{"browser.dat", "one", "two"})) << "nothing else is made there";
}

TEST_F(MenuEntries, UnwritableApplicationsFolderLeavesAWorkingProgramAndNoEntry) {
    // Root writes into read-only folders, so the folder cannot be made at all: a plain
    // file stands where it belongs.
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
    KeyFile read(entry);
    EXPECT_EQ(read.exec_argv(), std::vector<std::string>{KELVANE_MAKER_PATH});
    EXPECT_EQ(read["TryExec"], KELVANE_MAKER_PATH);
    EXPECT_TRUE(fs::is_regular_file(read["Icon"]));

    const Launched launched(entry, "Kelvane");
    ASSERT_EQ(launched.launcher_status, 0);
    ASSERT_TRUE(launched.window);
    EXPECT_GT(launched.pid, 0);
    EXPECT_EQ(window_class(launched.window->id).first, read["StartupWMClass"]);
    fs::remove(entry);
}

}  // namespace
}  // namespace kelvane::test
