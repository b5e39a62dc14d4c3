// Compiling programs into a folder: what is made, what is refused, and that a failure
// leaves every file as it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <fstream>

#include "common/program_trailer.h"
#include "maker/compiler/compiler.h"
#include "platform/application.h"
#include "platform/question_box.h"
#include "tests/support/created_program.h"

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
// that are no file of this folder are refused.
TEST_F(Compiler, MakesTheTemplateWithOneTrailerUnderAnyNameTheFolderTakes) {
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

// The template and the maker (this test program stands for it) are refused under any
// name that reaches them, and so is a program made read-only; a file not made here goes
// only when the user agrees, which Enter does not; an earlier program is replaced as ever.
TEST_F(Compiler, ReplacesOnlyEarlierProgramsAndWhatTheUserAgreesTo) {
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

}  // namespace
}  // namespace kelvane::test
