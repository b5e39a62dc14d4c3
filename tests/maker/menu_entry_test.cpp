// Menu entries of created programs: what they say, that the desktop's
// own tools accept them, and that starting one opens the program's window.
#include <gtest/gtest.h>
#include <glibmm/keyfile.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

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

// Whether the desktop's validator takes the entry (it says why not on the test's output).
bool valid(const fs::path& entry) {
    return Process("/usr/bin/desktop-file-validate", {entry.string()}).wait(kPatience) == 0;
}

// A key of an entry as the desktop reads it, with its escapes undone.
std::string value(const fs::path& entry, const char* key) {
    Glib::KeyFile file;
    file.load_from_file(entry.string());
    return file.get_string("Desktop Entry", key);
}

// Paths an entry cannot carry make none.
TEST(MenuEntryText, PathsThatCannotBeCarriedMakeNone) {
    for (const char* bad : {"/tmp/bell\a", "/tmp/\xff\xfe", "/tmp/del\x7f"})
        EXPECT_FALSE(menu_entry_text({"Browser", fs::path(bad) / "program", "/tmp/icon.png", "kelvane-x"})) << bad;
}

class MenuEntries : public testing::Test {
protected:
    MenuEntries() {
        fs::create_directories(maker_folder);
        fs::copy_file(template_path(), maker_folder / "browser.dat");
    }
    ~MenuEntries() override { fs::remove_all(applications_folder()); }

    TempDir folder;
    // With what an Exec line reserves, what a value escapes and what the shell would expand.
    const fs::path maker_folder = folder / " maker's \"folder\" $HOME ${x} `tick` \\ a=b %u=%% ;&|<>*?#(~)\tünï ";
    SettingsRecord record = default_record();
};

// The chosen icon, no larger than a menu needs, or our own browser icon; compiling again
// replaces only that program's entry. Whatever its folder, the entry passes the desktop's
// validator and, started, opens the program it names, whose windows group under it.
TEST_F(MenuEntries, CompileInstallsAnEntryWithItsIconThatStartsTheProgramWhereItCan) {
    const std::string granny = "granny browser.exe";
    const struct {
        std::string file, name;
        Picture chosen;
        std::pair<int, int> icon;
    } cases[] = {
        {"one", "Our own icon", Picture{}, {128, 128}},
        {granny, "Granny's \"Browser\" $HOME %u", png_picture(48, 32), {48, 32}},
        {"one", "Scaled in proportion", png_picture(1024, 512), {256, 128}},
        {"one", "Not a picture", Picture{{'n', 'o', 't'}}, {128, 128}},
    };
    for (const auto& c : cases) {
        record.WriteProperty("Caption", c.name);
        record.WriteProperty("picture", c.chosen);
        ASSERT_EQ(compile_program(record, maker_folder, c.file).error, "");
        const fs::path entry = menu_entry_path(c.file);
        EXPECT_TRUE(valid(entry));
        EXPECT_EQ(value(entry, "Name"), c.name);
        const auto icon = Gdk::Pixbuf::create_from_file(value(entry, "Icon"));
        EXPECT_EQ(std::pair(icon->get_width(), icon->get_height()), c.icon) << c.name;
        EXPECT_EQ(read_trailer(maker_folder / c.file), record) << "the program still carries what was chosen";
    }
    const fs::path entry = menu_entry_path(granny);
    EXPECT_EQ(std::distance(fs::directory_iterator(applications_folder()), {}), 2) << "two entries, no temporary files";
    EXPECT_EQ(std::distance(fs::directory_iterator(maker_folder), {}), 3) << "the template and two programs";
    EXPECT_EQ(value(entry, "Type") + " " + value(entry, "Categories"), "Application Network;WebBrowser;");
    EXPECT_EQ(fs::path(value(entry, "Icon")), program_data_folder(granny) / "icon.png");
    // Started the way a desktop starts it, by `gio launch`: the launcher ends at once, and this
    // process adopts the program it started (as the reaper of its orphaned descendants).
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    ASSERT_EQ(Process("/usr/bin/gio", {"launch", entry.string()}).wait(kPatience), 0);
    const auto window = find_window_titled("Granny's \"Browser\" $HOME %u");
    ASSERT_TRUE(window);
    const pid_t pid = window_pid(window->id).value_or(-1);
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(pid) + "/exe"), maker_folder / granny);
    EXPECT_EQ(window_class(window->id), std::pair(desktop_id(granny), desktop_id(granny)));
    if (pid > 0 && kill(pid, SIGTERM) == 0) waitpid(pid, nullptr, 0);

    // Where no entry can be made (root writes into read-only folders, so a plain file stands
    // where the folder belongs), the program is made all the same, and the maker says so.
    fs::remove_all(applications_folder());
    g_file_set_contents(applications_folder().c_str(), "not a folder", -1, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(compile_program(record, maker_folder, "two").error, "");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no menu entry"), std::string::npos);
    EXPECT_EQ(read_trailer(maker_folder / "two"), record);
}

}  // namespace
}  // namespace kelvane::test
