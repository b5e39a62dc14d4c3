// Downloads through the real engine from a server on 127.0.0.1: where they go, what the
// status bar says on the way, that a failed one leaves no file, and the names that keep
// every earlier file.
#include <glibmm/regex.h>
#include <gtest/gtest.h>
#include <webkit2/webkit2.h>

#include <cstdlib>
#include <fstream>

#include "browserwindow/browser_window.h"
#include "browserwindow/downloads.h"
#include "browserwindow/web_context.h"
#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

TEST(DownloadName, NeverTakesTheNameOfAFileThatIsThere) {
    TempDir folder;
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"report.zip", "report.zip", "report (1).zip"},
        {"data.tar.gz", "data.tar.gz", "data (1).tar.gz"},
        {"../../outside.txt", "outside.txt", "outside (1).txt"},  // no way out of the folder
        {".profile", ".profile", ".profile (1)"},
        {"", "download", "download (1)"},
    };
    for (const auto& [suggested, first, second] : cases) {
        EXPECT_EQ(reserve_download_file(folder.path(), suggested), folder / first);
        EXPECT_EQ(reserve_download_file(folder.path(), suggested), folder / second);
    }
    EXPECT_EQ(reserve_download_file(folder.path(), "report.zip"), folder / "report (2).zip");
    EXPECT_EQ(reserve_download_file(folder / "missing", "report.zip"), std::filesystem::path());
}

class Downloading : public testing::Test {
protected:
    Downloading() {
        std::filesystem::remove_all(folder);  // made when missing
        window.WebBrowser1.signal_download().connect([this](const Glib::ustring& text, bool done) {
            said.push_back(text);
            finished = finished || done;
        });
        window.show();
    }
    void download(const std::string& body) {
        server.serve("/get", body, "application/zip", "Content-Disposition: attachment; filename=\"report.zip\"\r\n");
        window.WebBrowser1.Navigate(server.url("/get"));
        ASSERT_TRUE(pump_until([&] { return finished; }));
    }
    Glib::ustring status() { return window.StatusBar1.panel_text(1); }

    // No download folder is configured in the test's home: not the home folder itself.
    const std::filesystem::path folder = std::filesystem::path(std::getenv("HOME")) / "Downloads";
    HttpServer server;
    BrowserWindow window;
    std::vector<Glib::ustring> said;
    bool finished = false;
};

TEST_F(Downloading, StatusBarShowsProgressThenWhereTheFileWent) {
    const std::string body(3 << 20, 'z');
    download(body);
    EXPECT_EQ(status(), "Downloaded report.zip to " + folder.string());
    ASSERT_GE(said.size(), 2u) << "no progress was shown";
    EXPECT_EQ(said.back(), status());
    for (std::size_t i = 0; i + 1 < said.size(); ++i)
        EXPECT_TRUE(Glib::Regex::match_simple("^Downloading report\\.zip\\.\\.\\. [0-9]{1,3}%$", said[i].raw())) << said[i];
    EXPECT_EQ(read_all(folder / "report.zip"), body);
}

// A folder that cannot be made, or a download stopped after its first bytes as a lost
// connection would stop it: the status bar says so, and no file is left behind.
TEST_F(Downloading, AFailedDownloadSaysSoAndLeavesNoFile) {
    std::ofstream(folder) << "a file where the folder should be";
    download("zip");
    EXPECT_TRUE(status().raw().starts_with("Download of report.zip failed")) << status();
    std::filesystem::remove(folder);

    g_signal_connect(web_context(), "download-started", G_CALLBACK(+[](WebKitWebContext*, WebKitDownload* d, void*) {
        g_signal_connect(d, "received-data", G_CALLBACK(+[](WebKitDownload* d, guint64, void*) {
            webkit_download_cancel(d);
        }), nullptr);
    }), nullptr);
    finished = false;
    download(std::string(3 << 20, 'z'));
    EXPECT_TRUE(status().raw().starts_with("Download of report.zip failed")) << status();
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "the file was left behind";
}

}  // namespace
}  // namespace kelvane::test
