// Downloads through the real engine from a server on 127.0.0.1: where they go, what the
// status bar says on the way, and the names that keep every earlier file.
#include <glibmm/regex.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "browserwindow/browser_window.h"
#include "browserwindow/downloads.h"
#include "platform/question_box.h"
#include "platform/user_folders.h"
#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/pump.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

using namespace std::chrono_literals;

TEST(DownloadName, NeverTakesTheNameOfAFileThatIsThere) {
    TempDir folder;
    struct Case {
        std::string suggested, first, second;
    };
    const Case cases[] = {
        {"report.zip", "report.zip", "report (1).zip"},
        {"data.tar.gz", "data.tar.gz", "data (1).tar.gz"},
        {"../../outside.txt", "outside.txt", "outside (1).txt"},  // no way out of the folder
        {".profile", ".profile", ".profile (1)"},
        {"", "download", "download (1)"},
        {"notes", "notes", "notes (1)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.suggested);
        EXPECT_EQ(reserve_download_file(folder.path(), c.suggested), folder / c.first);
        EXPECT_EQ(reserve_download_file(folder.path(), c.suggested), folder / c.second);
    }
    EXPECT_EQ(reserve_download_file(folder.path(), "report.zip"), folder / "report (2).zip");
    EXPECT_EQ(reserve_download_file(folder / "missing", "report.zip"), std::filesystem::path());
}

class Downloading : public testing::Test {
protected:
    Downloading() {
        window.WebBrowser1.signal_download().connect([this](const Glib::ustring& text, bool done) {
            said.push_back(text);
            finished = finished || done;
        });
        set_question_answers({{}, {}, {}, [this](const Question& q) {
                                  asked.push_back(q);
                                  return false;
                              }});
        window.show();
    }
    ~Downloading() override { set_question_answers({}); }

    void download(const std::string& body, const std::string& name = "report.zip") {
        server.serve("/get", body, "application/zip", "Content-Disposition: attachment; filename=\"" + name + "\"\r\n");
        window.WebBrowser1.Navigate(server.url("/get"));
        ASSERT_TRUE(pump_until([&] { return finished; }, 30s));
    }
    int said_starting(const std::string& start) const {
        return std::count_if(said.begin(), said.end(), [&](const Glib::ustring& text) { return text.raw().starts_with(start); });
    }
    std::set<std::string> saved() const {
        std::set<std::string> names;
        for (const auto& file : std::filesystem::directory_iterator(download_folder())) names.insert(file.path().filename());
        return names;
    }

    HttpServer server;
    BrowserWindow window;
    std::vector<Glib::ustring> said;
    bool finished = false;
    std::vector<Question> asked;  // and answered "no"
};

TEST_F(Downloading, StatusBarShowsProgressThenWhereTheFileWent) {
    const std::string body(3 << 20, 'z');
    const auto folder = download_folder();
    std::filesystem::remove_all(folder);  // made when missing
    download(body);
    const Glib::ustring done = "Downloaded report.zip to " + folder.string();
    EXPECT_EQ(window.StatusBar1.panel_text(1), done);
    ASSERT_GE(said.size(), 2u) << "no progress was shown";
    EXPECT_EQ(said.back(), done);
    for (std::size_t i = 0; i + 1 < said.size(); ++i)
        EXPECT_TRUE(Glib::Regex::match_simple("^Downloading report\\.zip\\.\\.\\. [0-9]{1,3}%$", said[i].raw())) << said[i];
    std::ifstream in(folder / "report.zip", std::ios::binary);
    std::stringstream saved;
    saved << in.rdbuf();
    EXPECT_EQ(saved.str(), body);
}

TEST_F(Downloading, ANameTooLongForAFileIsShortenedBetweenCharactersKeepingItsExtension) {
    std::string name;
    for (int i = 0; i < 100; ++i) name += "\u00e9t\u00e9";  // 500 bytes
    download("zip", name + ".pdf");
    const auto files = saved();
    ASSERT_EQ(files.size(), 1u) << window.StatusBar1.panel_text(1);
    const std::string file = *files.begin();
    EXPECT_TRUE(file.ends_with(".pdf")) << file;
    EXPECT_TRUE(name.starts_with(file.substr(0, file.size() - 4))) << file;
    EXPECT_TRUE(g_utf8_validate(file.c_str(), -1, nullptr)) << "cut inside a character";
}

TEST_F(Downloading, APageSavesOneFileByItselfAndMoreOnlyWithTheUsersConsent) {
    std::filesystem::remove_all(download_folder());
    const std::string other_site = "http://localhost:" + std::to_string(server.port());
    ASSERT_TRUE(pump_until([&] { return window.get_mapped(); }));
    drain();  // the X server has mapped it
    const auto x_window = find_window(getpid());
    ASSERT_TRUE(x_window);
    for (const char* name : {"other.zip", "clicked.zip", "one.zip", "two.zip", "three.zip"})
        server.serve(std::string("/") + name, name, "application/zip", "Content-Disposition: attachment\r\n");
    // A frame of another site saves nothing by itself; a click saves what it asks for.
    server.serve("/other-site.html", "<html><body style='margin:0'><iframe src='" + other_site + "/other.zip'></iframe>"
                                     "<a href='/clicked.zip' style='display:block;height:100vh'>x</a></body></html>");
    window.WebBrowser1.Navigate(server.url("/other-site.html"));
    ASSERT_TRUE(pump_until([&] { return server.count("/other.zip") == 1 && !window.WebBrowser1.loading(); }));
    ASSERT_TRUE(click(x_window->id, 100, 250));
    ASSERT_TRUE(pump_until([&] { return said_starting("Downloaded clicked.zip") == 1; }));
    EXPECT_EQ(saved(), std::set<std::string>{"clicked.zip"});
    // Of three frames of its own site, one saves its file; the others ask the user, once.
    server.serve("/frames.html", "<html><body><iframe src='/one.zip'></iframe><iframe src='/two.zip'></iframe>"
                                 "<iframe src='/three.zip'></iframe></body></html>");
    window.WebBrowser1.Navigate(server.url("/frames.html"));
    ASSERT_TRUE(pump_until([&] { return said_starting("Downloaded") == 2 && said_starting("Did not save") == 2; }));
    EXPECT_EQ(saved().size(), 2u);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "http://127.0.0.1:" + std::to_string(server.port()));
}

TEST_F(Downloading, ADownloadWhoseNetworkProcessEndsFailsAndLeavesNoFile) {
    // A server that sends the start of a large file and then nothing, until the client goes.
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), length) | listen(listener, 1) |
                  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    std::thread([listener] {
        const int client = accept(listener, nullptr, nullptr);
        const std::string start = "HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\nContent-Disposition: attachment; "
                                  "filename=stalled.zip\r\n\r\n" + std::string(100000, 'z');
        char request[4096];
        if (recv(client, request, sizeof request, 0) > 0) send(client, start.data(), start.size(), MSG_NOSIGNAL);
        while (recv(client, request, sizeof request, 0) > 0) {
        }
    }).detach();
    std::filesystem::remove_all(download_folder());
    window.WebBrowser1.Navigate("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/stalled.zip");
    ASSERT_TRUE(pump_until([&] { return said_starting("Downloading stalled.zip") > 0; }));
    for (pid_t pid : descendants(getpid(), "WebKitNetworkPr")) kill(pid, SIGKILL);
    ASSERT_TRUE(pump_until([&] { return finished; }));
    EXPECT_TRUE(said.back().raw().starts_with("Download of stalled.zip failed")) << said.back();
    EXPECT_EQ(saved(), std::set<std::string>{});
}

TEST_F(Downloading, AFolderThatCannotBeMadeFailsTheDownloadAndSaysSo) {
    const auto folder = download_folder();
    std::filesystem::remove_all(folder);
    std::ofstream(folder) << "a file where the folder should be";
    download("zip");
    EXPECT_TRUE(window.StatusBar1.panel_text(1).raw().starts_with("Download of report.zip failed"))
        << window.StatusBar1.panel_text(1);
    std::filesystem::remove(folder);
}

}  // namespace
}  // namespace kelvane::test
