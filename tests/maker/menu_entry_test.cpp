// Menu entries of created programs and of the maker: what they say, that the desktop's
// own tools accept them, and that starting one opens the program's window.
#include <gtest/gtest.h>
#include <glib.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <algorithm>
#include <memory>
#include <regex>
#include <set>

#include "common/program_trailer.h"
#include "maker/compiler/compiler.h"
#include "maker/compiler/menu_entry.h"
#include "maker/forms.h"
#include "maker/mainwindow/main_window.h"
#include "platform/desktop_id.h"
#include "platform/message_box.h"
#include "platform/picture.h"
#include "platform/user_folders.h"
#include "tests/support/created_program.h"
#include "tests/support/patience.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;
    std::string output;  // standard output and error
};

// Runs a tool to its end and keeps what it said.
ToolRun run_tool(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    gchar *out = nullptr, *err = nullptr;
    ToolRun result;
    if (!g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &out, &err, &result.status,
                      nullptr))
        return result;
    result.output = std::string(out ? out : "") + (err ? err : "");
    g_free(out);
    g_free(err);
    return result;
}

// Says why the desktop's validator refuses an entry, or nothing.
std::string validation_failure(const fs::path& entry) {
    const ToolRun check = run_tool({"desktop-file-validate", entry.string()});
    if (check.status == 0 && check.output.find("error") == std::string::npos) return {};
    return "exit " + std::to_string(check.status) + ": " + check.output;
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
        for (std::size_t at = line.find("%%"); at != std::string::npos; at = line.find("%%", at + 1))
            line.erase(at, 1);
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

Picture png_of_size(int width, int height) {
    auto pixbuf = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, true, 8, width, height);
    pixbuf->fill(0xff8000ff);
    gchar* buffer = nullptr;
    gsize size = 0;
    pixbuf->save_to_buffer(buffer, size, "png");
    Picture picture{{buffer, buffer + size}};
    g_free(buffer);
    return picture;
}

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
        launcher_status = launcher.wait(std::chrono::seconds(60));
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
        EXPECT_EQ(id, desktop_id(name)) << "the same in every program";
        EXPECT_TRUE(std::regex_match(id, std::regex("kelvane-[A-Za-z0-9_-]+"))) << id;
        EXPECT_LE(id.size() + std::string(".desktop").size(), 255u) << name;
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), names.size());
}

// Folders and file names with what an Exec line reserves, what a value escapes and
// what the shell would expand: the entry passes the validator and names the program
// exactly.
struct OddFolder {
    const char* label;
    const char* folder;
};

class EntryPaths : public testing::TestWithParam<OddFolder> {};

TEST_P(EntryPaths, EntryNamesTheProgramExactly) {
    TempDir folder;
    const fs::path program = folder / GetParam().folder / "my browser.exe";
    const fs::path icon = folder / GetParam().folder / "icon.png";
    const std::string name = std::string("Granny's \"Browser\" ") + GetParam().folder;
    const auto text = menu_entry_text({name, program, icon, "kelvane-x"});
    ASSERT_TRUE(text);
    const fs::path entry = folder / "kelvane-x.desktop";
    g_file_set_contents(entry.c_str(), text->data(), static_cast<gssize>(text->size()), nullptr);

    EXPECT_EQ(validation_failure(entry), "") << *text;
    KeyFile read(entry);
    ASSERT_TRUE(read.loaded()) << *text;
    EXPECT_EQ(read["Name"], name);
    EXPECT_EQ(read["TryExec"], program.string());
    EXPECT_EQ(read["Icon"], icon.string());
    EXPECT_EQ(read["Categories"], "Network;WebBrowser;");
    EXPECT_EQ(read["StartupWMClass"], "kelvane-x");
}

// Started as a desktop starts it, the entry runs the program it names, as it is named.
TEST_P(EntryPaths, StartsTheProgramItNames) {
    TempDir folder;
    const fs::path program = folder / GetParam().folder / "my browser.exe";
    fs::create_directories(program.parent_path());
    g_file_set_contents(program.c_str(), "#!/bin/sh\nprintf %s \"$0\" > \"$0.started\"\n", -1, nullptr);
    fs::permissions(program, fs::perms::owner_all);
    const auto text = menu_entry_text({"Browser", program, folder / "icon.png", "kelvane-x"});
    ASSERT_TRUE(text);
    const fs::path entry = folder / "kelvane-x.desktop";
    g_file_set_contents(entry.c_str(), text->data(), static_cast<gssize>(text->size()), nullptr);
    EXPECT_EQ(Process("/usr/bin/gio", {"launch", entry.string()}).wait(kPatience), 0) << *text;
    EXPECT_TRUE(wait_until([&] { return read_all(program.string() + ".started") == program.string(); })) << *text;
}

INSTANTIATE_TEST_SUITE_P(Folders, EntryPaths,
                         testing::Values(OddFolder{"Plain", "plain"}, OddFolder{"Spaces", "with spaces"},
                                         OddFolder{"Quotes", "quote\"d and 'single'"},
                                         OddFolder{"Dollar", "dollar $HOME ${x}"}, OddFolder{"Backtick", "back`tick`"},
                                         OddFolder{"Backslash", "back\\slash\\"},
                                         OddFolder{"Percent", "percent %u %f %%"},
                                         OddFolder{"PercentAndEquals", "a=b %u=%%"},
                                         OddFolder{"ShellSeparators", "semi;colon & amp | pipe"},
                                         OddFolder{"ShellPatterns", "lt<gt>star*what?hash#(paren)~"},
                                         OddFolder{"Tab", "tab\there"}, OddFolder{"SpacesAtBothEnds", " both ends "},
                                         OddFolder{"Unicode", "ünïcødé"}),
                         [](const testing::TestParamInfo<OddFolder>& info) { return std::string(info.param.label); });

TEST(MenuEntryText, PathsThatAnEntryCannotCarryMakeNoEntry) {
    for (const char* folder : {"/tmp/bell\a", "/tmp/\xff\xfe", "/tmp/del\x7f"}) {
        EXPECT_FALSE(menu_entry_text({"Browser", fs::path(folder) / "program", "/tmp/icon.png", "kelvane-program"}))
            << folder;
    }
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
    EXPECT_EQ(read.exec_argv().back(), (maker_folder / file).string());
    EXPECT_EQ(read["TryExec"], (maker_folder / file).string());
    EXPECT_EQ(read["Categories"], "Network;WebBrowser;");
    EXPECT_EQ(read["StartupWMClass"], desktop_id(file));
    EXPECT_EQ(fs::path(read["Icon"]), program_data_folder(file) / "icon.png");
    EXPECT_EQ(image_size(read["Icon"]), std::make_pair(128, 128)) << "our own browser icon";

    const Launched launched(entry, "Granny's Browser");
    ASSERT_EQ(launched.launcher_status, 0);
    ASSERT_TRUE(launched.window);
    ASSERT_GT(launched.pid, 0);
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(launched.pid) + "/exe"), maker_folder / file);
    EXPECT_EQ(window_class(launched.window->id), std::make_pair(desktop_id(file), desktop_id(file)))
        << "its windows group under its entry";
}

TEST_F(MenuEntries, TheEntryShowsTheChosenIconNoLargerThanAMenuNeeds) {
    const struct {
        Picture chosen;
        std::pair<int, int> icon;
    } cases[] = {
        {Picture{}, {128, 128}},                  // none chosen: our own
        {png_of_size(48, 32), {48, 32}},          // as chosen
        {png_of_size(1024, 512), {256, 128}},     // scaled down, in proportion
        {Picture{{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}}, {128, 128}},
    };
    for (const auto& c : cases) {
        record.WriteProperty("picture", c.chosen);
        ASSERT_EQ(compile_program(record, maker_folder, "program").error, "");
        const fs::path icon = KeyFile(menu_entry_path("program"))["Icon"];
        EXPECT_EQ(icon, program_data_folder("program") / "icon.png");
        EXPECT_EQ(image_size(icon), c.icon) << c.chosen.bytes.size();
        EXPECT_EQ(read_trailer(maker_folder / "program"), record) << "the program still carries what was chosen";
    }
}

TEST_F(MenuEntries, CompilingAgainReplacesOnlyThatProgramsEntry) {
    ASSERT_EQ(compile_program(record, maker_folder, "one").error, "");
    record.WriteProperty("Caption", std::string("Other"));
    ASSERT_EQ(compile_program(record, maker_folder, "two").error, "");
    record.WriteProperty("Caption", std::string("One again"));
    ASSERT_EQ(compile_program(record, maker_folder, "one").error, "");

    const std::string one = menu_entry_path("one").filename().string(), two = menu_entry_path("two").filename().string();
    EXPECT_EQ(files_in(applications_folder()), (std::set<std::string>{one, two})) << "no temporary files either";
    EXPECT_EQ(KeyFile(menu_entry_path("one"))["Name"], "One again");
    EXPECT_EQ(KeyFile(menu_entry_path("two"))["Name"], "Other");
    EXPECT_EQ(files_in(program_data_folder("one")), std::set<std::string>{"icon.png"});
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
    EXPECT_EQ(read_trailer(maker_folder / "program"), record);

    Process program(maker_folder / "program");
    auto window = find_window(program.pid());
    ASSERT_TRUE(window);
    EXPECT_EQ(window->title, "Granny's Browser");
}

TEST_F(MenuEntries, TheCompileButtonSaysWhatItAlwaysSaidAndInstallsTheEntry) {
    std::vector<Message> messages;
    set_message_handler([&](const Message& m) { messages.push_back(m); });
    {
        Forms forms(maker_folder);
        MainWindow& main = forms.Form1();
        main.Text2.set_text("From the maker");
        main.Text5.set_text("255");
        main.txtExeFile.set_text("made.exe");
        ASSERT_TRUE(main.Image1.set_Picture(png_of_size(64, 48)));
        main.Command2.clicked();
    }
    set_message_handler({});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Program Created and can be Found Here " + maker_folder.string());
    KeyFile read(menu_entry_path("made.exe"));
    EXPECT_EQ(read["Name"], "From the maker");
    EXPECT_EQ(image_size(read["Icon"]), std::make_pair(64, 48));
    EXPECT_EQ(files_in(maker_folder), (std::set<std::string>{"browser.dat", "made.exe"})) << "nothing else is made there";
}

TEST(MakerMenuEntry, TheStartToolsEntryStartsTheMaker) {
    Process tool("/bin/sh", {KELVANE_TOOLS_DIR "/maker-menu-entry", KELVANE_MAKER_PATH},
                 {{"XDG_DATA_HOME", applications_folder().parent_path().string()}});
    ASSERT_EQ(tool.wait(std::chrono::seconds(60)), 0);
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
