// Compiling programs into a folder: what is made, what is refused, and that a failure
// leaves every file as it was. The menu entries of created programs: what they say, that
// the desktop's own tools accept them, and that starting one opens the program's window.
#include <gtest/gtest.h>
#include <glibmm/keyfile.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>

#include "common/program_trailer.h"
#include "maker/compiler/compiler.h"
#include "maker/compiler/menu_entry.h"
#include "platform/application.h"
#include "platform/desktop_id.h"
#include "platform/question_box.h"
#include "platform/user_folders.h"
#include "tests/support/created_program.h"
#include "tests/support/media_files.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

namespace fs = std::filesystem;

class Compiler : public testing::Test {
protected:
    Compiler() { fs::copy_file(template_path(), folder / "browser.dat"); }
    CompileResult compile(const std::string& name, const char* caption = "A caption") {
        record.WriteProperty("Caption", std::string(caption));
        return compile_program(record, folder.path(), name);
    }
    long files() { return std::distance(fs::directory_iterator(folder.path()), {}); }

    TempDir folder;
    SettingsRecord record = default_record();
};

// Compiling twice under one name leaves one program with one trailer, executable. Names
// that are no file of this folder are refused; so are files that are not programs made
// here unless the user agrees.
TEST_F(Compiler, MakesOneProgramUnderAnyNameTheFolderTakesAndReplacesOnlyWhatItMay) {
    for (const char* caption : {"First", "Second"}) ASSERT_EQ(compile("my browser.exe", caption).error, "");
    const std::string program = read_all(folder / "my browser.exe"), templ = read_all(folder / "browser.dat");
    ASSERT_EQ(program.size(), templ.size() + record.Contents().size() + 15);
    EXPECT_EQ(program.substr(0, templ.size() - 1), templ.substr(0, templ.size() - 1));
    EXPECT_EQ(read_trailer(folder / "my browser.exe"), record);
    EXPECT_NE(fs::status(folder / "my browser.exe").permissions() & fs::perms::owner_exec, fs::perms::none);

    EXPECT_EQ(compile(std::string(255, 'n')).error, "");
    fs::create_directory(folder / "a folder");
    // A path, even one into this folder, is no name.
    const std::vector<std::string> refused = {"", ".", "..", "sub/x", folder / "x", "a folder", std::string(256, 'n')};
    for (const std::string& name : refused) EXPECT_NE(compile(name).error, "") << name;
    EXPECT_EQ(files(), 4) << "the template, two programs and the folder";

    // The template and the maker (this test program stands for it) are refused under any
    // name that reaches them, and so is a program made read-only; a file not made here goes
    // only when the user agrees, which Enter does not; an earlier program is replaced as ever.
    for (const char* name : {"earlier", "read-only"}) ASSERT_EQ(compile(name).error, "");
    fs::permissions(folder / "read-only", fs::perms(0444));
    const std::string read_only = read_all(folder / "read-only");
    fs::create_symlink(own_file(), folder / "maker link");
    fs::create_hard_link(folder / "browser.dat", folder / "template too");
    std::ofstream(folder / "notes.txt") << "notes";
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);  // read, it would never end
    std::vector<Question> asked;
    bool agree = false;
    set_question_answers({{}, {}, {}, [&](const Question& q) { return asked.push_back(q), agree; }});
    for (const auto& [name, asks] : {std::pair{"browser.dat", false}, {"template too", false}, {"maker link", false},
                                     {"read-only", false}, {"notes.txt", true}, {"pipe", true}}) {
        const CompileResult refused = compile(name, "Never written");
        EXPECT_TRUE(!refused.error.empty() && refused.declined == asks) << name << ": " << refused.error;
    }
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[0].text.find("notes.txt") != Glib::ustring::npos);
    EXPECT_EQ(read_all(folder / "browser.dat"), read_all(template_path()));
    EXPECT_EQ(read_all(folder / "read-only"), read_only);
    EXPECT_EQ(fs::status(folder / "read-only").permissions(), fs::perms(0444));
    EXPECT_TRUE(fs::is_symlink(folder / "maker link") && fs::is_fifo(folder / "pipe"));
    EXPECT_EQ(read_all(folder / "notes.txt"), "notes");
    agree = true;
    for (const char* name : {"notes.txt", "pipe", "earlier"}) {
        EXPECT_EQ(compile(name, "Replacing").error, "") << name;
        EXPECT_EQ(read_trailer(folder / name), record) << name;
    }
    EXPECT_EQ(asked.size(), 4u) << "none about the earlier program";
    set_question_answers({});
}

TEST_F(Compiler, FailureAfterTheCopyKeepsTheEarlierProgram) {
    ASSERT_EQ(compile("program").error, "");
    const std::string earlier = read_all(folder / "program");
    const auto template_size = fs::file_size(folder / "browser.dat");
    // In a child whose files may grow only a little past the template: the copy succeeds,
    // the trailer cannot.
    auto compile_within_limit = [&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{template_size + 4, template_size + 4};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::cerr << compile("program", "Never written").error;
        std::exit(0);
    };
    EXPECT_EXIT(compile_within_limit(), testing::ExitedWithCode(0), "File too large");
    EXPECT_EQ(read_all(folder / "program"), earlier);
    EXPECT_EQ(files(), 2) << "no temporary file is left";
    ASSERT_EQ(compile("program", "After the failure").error, "");
    EXPECT_EQ(read_trailer(folder / "program"), record);
}


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

// The chosen icon, no larger than a menu needs, or our own browser icon; compiling again
// replaces only that program's entry. Whatever its folder, the entry passes the desktop's
// validator and, started, opens the program it names, whose windows group under it. Paths
// an entry cannot carry make none.
TEST(MenuEntries, CompileInstallsAnEntryWithItsIconThatStartsTheProgramWhereItCan) {
    TempDir folder;
    // With what an Exec line reserves, what a value escapes and what the shell would expand.
    const fs::path maker_folder = folder / " maker's \"folder\" $HOME ${x} `tick` \\ a=b %u=%% ;&|<>*?#(~)\tünï ";
    fs::create_directories(maker_folder);
    fs::copy_file(template_path(), maker_folder / "browser.dat");
    SettingsRecord record = default_record();
    for (const char* bad : {"/tmp/bell\a", "/tmp/\xff\xfe", "/tmp/del\x7f"})
        EXPECT_FALSE(menu_entry_text({"Browser", fs::path(bad) / "program", "/tmp/icon.png", "kelvane-x"})) << bad;
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
