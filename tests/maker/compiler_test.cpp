// Compiling programs into a folder: what is made, and that a failure makes nothing.
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "common/program_trailer.h"
#include "maker/compiler/compiler.h"
#include "platform/application.h"
#include "platform/question_box.h"
#include "tests/support/created_program.h"

namespace kelvane::test {
namespace {

std::vector<char> bytes_of(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs `body` in a child process and returns its exit code.
int in_child(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

class Compiler : public testing::Test {
protected:
    Compiler() {
        std::filesystem::copy_file(template_path(), folder / "browser.dat");
        record = default_record();
    }

    std::vector<std::filesystem::path> files() {
        std::vector<std::filesystem::path> names;
        for (auto& entry : std::filesystem::directory_iterator(folder.path())) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir folder;
    SettingsRecord record;
};

// Compiling twice under one name leaves one program with one trailer.
TEST_F(Compiler, MakesTheTemplateWithTheTrailerAsAnExecutable) {
    for (const char* caption : {"First", "Second"}) {
        record.WriteProperty("Caption", std::string(caption));
        ASSERT_EQ(compile_program(record, folder.path(), "my browser.exe").error, "");
    }
    const auto program = bytes_of(folder / "my browser.exe");
    const auto templ = bytes_of(folder / "browser.dat");
    ASSERT_EQ(program.size(), templ.size() + record.Contents().size() + 15);
    EXPECT_TRUE(std::equal(templ.begin(), templ.end() - 1, program.begin()));
    EXPECT_EQ(read_trailer(folder / "my browser.exe"), record);
    EXPECT_NE(std::filesystem::status(folder / "my browser.exe").permissions() & std::filesystem::perms::owner_exec,
              std::filesystem::perms::none);
    EXPECT_EQ(files(), (std::vector<std::filesystem::path>{"browser.dat", "my browser.exe"}));
}

TEST_F(Compiler, NamesAsLongAsTheFolderTakesAndNoOthers) {
    for (const std::string& name : {std::string(250, 'n'), std::string(255, 'n')}) {
        EXPECT_EQ(compile_program(record, folder.path(), name).error, "") << name.size();
        EXPECT_EQ(read_trailer(folder / name), record) << name.size();
        std::filesystem::remove(folder / name);
    }
    std::filesystem::create_directory(folder / "a folder");
    for (const std::string& name :
         std::vector<std::string>{"", ".", "..", "sub/program", "/tmp/elsewhere", "a folder", std::string(256, 'n')})
        EXPECT_NE(compile_program(record, folder.path(), name).error, "") << name;
    EXPECT_TRUE(std::filesystem::is_directory(folder / "a folder"));

    std::filesystem::remove(folder / "browser.dat");
    const std::string error = compile_program(record, folder.path(), "program").error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_EQ(files(), (std::vector<std::filesystem::path>{"a folder"})) << "nothing is left behind";
}

TEST_F(Compiler, ReadOnlyFolderMakesNothing) {
    std::filesystem::permissions(folder.path(), std::filesystem::perms(0555));
    const int code = in_child([&] {
        // Root writes anywhere, so the child gives that up first.
        if (geteuid() == 0) {
            passwd* nobody = getpwnam("nobody");
            if (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) return 2;
        }
        return compile_program(record, folder.path(), "program").error.empty() ? 1 : 0;
    });
    std::filesystem::permissions(folder.path(), std::filesystem::perms(0755));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(files(), (std::vector<std::filesystem::path>{"browser.dat"}));
}

TEST_F(Compiler, FailureAfterTheCopyKeepsTheEarlierProgram) {
    ASSERT_EQ(compile_program(record, folder.path(), "program").error, "");
    const auto earlier = bytes_of(folder / "program");
    const auto template_size = std::filesystem::file_size(folder / "browser.dat");

    // Files may grow only a little past the template: the copy succeeds, the trailer cannot.
    const int code = in_child([&] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{template_size + 4, template_size + 4};
        setrlimit(RLIMIT_FSIZE, &limit);
        record.WriteProperty("Caption", std::string("Never written"));
        const std::string error = compile_program(record, folder.path(), "program").error;
        return error.find("File too large") != std::string::npos ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(bytes_of(folder / "program"), earlier);
    EXPECT_EQ(files(), (std::vector<std::filesystem::path>{"browser.dat", "program"})) << "no temporary file is left";

    record.WriteProperty("Caption", std::string("After the failure"));
    ASSERT_EQ(compile_program(record, folder.path(), "program").error, "");
    EXPECT_EQ(read_trailer(folder / "program"), record);
}

TEST_F(Compiler, AReadOnlyProgramIsRefusedAndKept) {
    ASSERT_EQ(compile_program(record, folder.path(), "program").error, "");
    const auto earlier = bytes_of(folder / "program");
    std::filesystem::permissions(folder / "program", std::filesystem::perms(0444));
    record.WriteProperty("Caption", std::string("Never written"));
    const std::string error = compile_program(record, folder.path(), "program").error;
    EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
    EXPECT_EQ(bytes_of(folder / "program"), earlier);
    EXPECT_EQ(std::filesystem::status(folder / "program").permissions(), std::filesystem::perms(0444));
    EXPECT_EQ(files(), (std::vector<std::filesystem::path>{"browser.dat", "program"}));
}

// The template and the maker (this test program stands for it) are refused under any
// name that reaches them; a file not made here goes only when the user agrees, which
// Enter does not; an earlier program is replaced as ever.
TEST_F(Compiler, ReplacesOnlyEarlierProgramsAndWhatTheUserAgreesTo) {
    ASSERT_EQ(compile_program(record, folder.path(), "earlier").error, "");
    std::filesystem::create_symlink(own_file(), folder / "maker link");
    std::filesystem::create_hard_link(folder / "browser.dat", folder / "template too");
    std::ofstream(folder / "notes.txt") << "notes";
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);  // read, it would never end
    std::vector<Question> asked;
    bool agree = false;
    int declined = 0;
    set_question_answers({{}, {}, {}, [&](const Question& q) { return asked.push_back(q), agree; }});
    for (const char* name : {"browser.dat", "template too", "maker link", "notes.txt", "pipe"}) {
        const CompileResult refused = compile_program(record, folder.path(), name);
        EXPECT_NE(refused.error, "") << name;
        declined += refused.declined;
    }
    EXPECT_EQ(declined, 2);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[0].text.find("notes.txt") != Glib::ustring::npos);
    EXPECT_EQ(bytes_of(folder / "browser.dat"), bytes_of(template_path()));
    EXPECT_TRUE(is_symlink(folder / "maker link") && is_fifo(folder / "pipe") && read_all(folder / "notes.txt") == "notes");
    agree = true;
    record.WriteProperty("Caption", std::string("Replacing"));
    for (const char* name : {"notes.txt", "pipe", "earlier"}) {
        EXPECT_EQ(compile_program(record, folder.path(), name).error, "") << name;
        EXPECT_EQ(read_trailer(folder / name), record) << name;
    }
    EXPECT_EQ(asked.size(), 4u) << "none about the earlier program";
    set_question_answers({});
}

}  // namespace
}  // namespace kelvane::test
