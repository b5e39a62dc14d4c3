// Downloads through the real engine from a server on 127.0.0.1: where they go, what the
// status bar says on the way, and the names that keep every earlier file.
#include <glibmm/regex.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "browserwindow/browser_window.h"
#include "browserwindow/downloads.h"
#include "platform/user_folders.h"
#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/pump.h"

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
        window.show();
    }

    void download(const std::string& body) {
        server.serve("/get", body, "application/zip", "Content-Disposition: attachment; filename=\"report.zip\"\r\n");
        window.WebBrowser1.Navigate(server.url("/get"));
        ASSERT_TRUE(pump_until([&] { return finished; }, 30s));
    }

    HttpServer server;
    BrowserWindow window;
    std::vector<Glib::ustring> said;
    bool finished = false;
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
