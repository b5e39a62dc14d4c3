#include "browserwindow/downloads.h"

#include <fcntl.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <cerrno>
#include <cmath>
#include <memory>
#include <system_error>

#include "browserwindow/web_view.h"
#include "platform/user_folders.h"

namespace kelvane {
namespace {

struct Download {
    std::filesystem::path destination;  // reserved by us; empty until then
    std::string name;
    int percent = -1;
    bool failed = false;
};

void report(WebKitDownload* download, const Glib::ustring& text, bool done) {
    WebKitWebView* view = webkit_download_get_web_view(download);
    if (WebView* reporter = view ? WebView::from(view) : nullptr) reporter->signal_download().emit(text, done);
}

gboolean on_decide_destination(WebKitDownload* download, const char* suggested, Download* state) {
    const auto folder = download_folder();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    state->destination = reserve_download_file(folder, suggested ? suggested : "");
    if (state->destination.empty()) {
        state->name = std::filesystem::path(suggested ? suggested : "").filename().string();
        webkit_download_cancel(download);  // reported as failed
        return TRUE;
    }
    state->name = state->destination.filename().string();
    webkit_download_set_allow_overwrite(download, TRUE);  // only the empty file reserved above
    gchar* uri = g_filename_to_uri(state->destination.c_str(), nullptr, nullptr);
    webkit_download_set_destination(download, uri);
    g_free(uri);
    return TRUE;
}

void on_received_data(WebKitDownload* download, guint64, Download* state) {
    const int percent = static_cast<int>(std::floor(webkit_download_get_estimated_progress(download) * 100));
    if (percent == state->percent) return;
    state->percent = percent;
    report(download, "Downloading " + state->name + "... " + std::to_string(percent) + "%", false);
}

void on_failed(WebKitDownload* download, GError* error, Download* state) {
    state->failed = true;
    std::error_code ignored;
    if (!state->destination.empty()) std::filesystem::remove(state->destination, ignored);  // no half file left
    const std::string name = state->name.empty() ? "the file" : state->name;
    report(download, "Download of " + name + " failed" + (error ? std::string(": ") + error->message : ""), true);
}

void on_finished(WebKitDownload* download, Download* state) {
    if (state->failed) return;
    report(download, "Downloaded " + state->name + " to " + state->destination.parent_path().string(), true);
}

void on_download_started(WebKitWebContext*, WebKitDownload* download, void*) {
    auto* state = new Download;  // owned by the download from here on
    g_object_set_data_full(G_OBJECT(download), "kelvane-download", state,
                           [](void* data) { delete static_cast<Download*>(data); });
    g_signal_connect(download, "decide-destination", G_CALLBACK(on_decide_destination), state);
    g_signal_connect(download, "received-data", G_CALLBACK(on_received_data), state);
    g_signal_connect(download, "failed", G_CALLBACK(on_failed), state);
    g_signal_connect(download, "finished", G_CALLBACK(on_finished), state);
}

// "report.zip" -> {"report", ".zip"}; "data.tar.gz" -> {"data", ".tar.gz"}; ".profile" has no extension.
std::pair<std::string, std::string> split_extension(const std::string& name) {
    auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return {name, ""};
    const auto tar = name.rfind(".tar.");
    if (tar != std::string::npos && tar > 0 && name.find('.', tar + 5) == std::string::npos) dot = tar;
    return {name.substr(0, dot), name.substr(dot)};
}

}  // namespace

void watch_downloads(WebKitWebContext* context) {
    g_signal_connect(context, "download-started", G_CALLBACK(on_download_started), nullptr);
}

std::filesystem::path reserve_download_file(const std::filesystem::path& folder, const std::string& suggested) {
    std::string name = std::filesystem::path(suggested).filename().string();
    if (name.empty() || name == "." || name == "..") name = "download";
    const auto [stem, extension] = split_extension(name);
    for (int n = 0; n < 10000; ++n) {
        const auto path = folder / (n == 0 ? name : stem + " (" + std::to_string(n) + ")" + extension);
        // Made here and now, so no other download (of this program or another) takes the name.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) return {};
    }
    return {};
}

}  // namespace kelvane
