// From the maker's fields to a running program: typed, compiled, started, looked at.
#include <gtest/gtest.h>

#include "browser/program_window.h"
#include "maker/dialogs/position_dialog.h"
#include "maker/dialogs/window_dialog.h"
#include "maker/forms.h"
#include "maker/mainwindow/main_window.h"
#include "platform/message_box.h"
#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

TEST(MadeProgram, ShowsWhatWasTypedIntoTheMaker) {
    TempDir folder;
    std::filesystem::copy_file(template_path(), folder / "browser.dat");
    HttpServer server;
    server.serve("/start.html", "<html><body>start</body></html>");
    std::vector<Message> messages;
    set_message_handler([&](const Message& m) { messages.push_back(m); });

    {
        Forms forms(folder.path());
        MainWindow& main = forms.Form1();
        main.show();
        main.Text2.set_text("Granny's Browser");
        main.Text3.set_text("Go");
        main.Text6.set_text("Previous");
        main.Text7.set_text("Reload");
        main.Text4.set_text(server.url("/start.html"));
        main.Text5.set_text("65280");
        main.txtExeFile.set_text("granny");
        forms.Form3().Text2.set_text("4500");  // height
        forms.Form3().Text1.set_text("7500");  // width
        forms.Form2().Text(5).set_text("1200");  // browse button width
        main.Command2.clicked();
    }
    set_message_handler({});
    ASSERT_EQ(messages.size(), 1u);
    ASSERT_EQ(messages[0].style, vbInformation) << messages[0].text;

    Process program(folder / "granny");
    auto window = find_window(program.pid());
    ASSERT_TRUE(window);
    EXPECT_EQ(window->title, "Granny's Browser");
    EXPECT_EQ(window->width, 7500 / 15);
    EXPECT_EQ(window->height, 4500 / 15);
    EXPECT_TRUE(server.wait_for("/start.html"));

    // The captions are drawn by the program, so they are read from the same file loaded here.
    ProgramWindow loaded;
    loaded.Form_Load(folder / "granny");
    EXPECT_EQ(loaded.Command1.get_label(), "Go");
    EXPECT_EQ(loaded.Command2.get_label(), "Previous");
    EXPECT_EQ(loaded.Command3.get_label(), "Reload");
    EXPECT_EQ(loaded.client().rect(loaded.Command1)->width, 1200);
}

}  // namespace
}  // namespace kelvane::test
