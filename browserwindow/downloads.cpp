#include "browserwindow/downloads.h"

#include <fcntl.h>
#include <glib-unix.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <system_error>

#include "browserwindow/page_requests.h"
#include "browserwindow/web_view.h"
#include "platform/user_folders.h"

namespace kelvane {
namespace {

struct Download {
    explicit Download(WebKitDownload* d) : download(d) {}
    ~Download() {
        if (view) g_object_remove_weak_pointer(G_OBJECT(view), reinterpret_cast<gpointer*>(&view));
    }
    WebKitDownload* download;
    // Where it is told, learnt when it starts: once its network process has gone, the
    // engine may no longer say which view the download came from.
    WebKitWebView* view = nullptr;
    void learn_view(WebKitWebView* v) {
        if (view || !v) return;
        view = v;
        g_object_add_weak_pointer(G_OBJECT(view), reinterpret_cast<gpointer*>(&view));
    }
    std::string suggested;
    std::filesystem::path destination;  // reserved by us; empty until then
    std::string name;
    int percent = -1;
    bool ended = false;  // finished, failed or refused
};

// Being saved now: what has a file of ours in the download folder.
std::set<Download*>& saving() {
    static std::set<Download*> downloads;
    return downloads;
}

void report(Download* state, const Glib::ustring& text, bool done) {
    if (WebView* reporter = state->view ? WebView::from(state->view) : nullptr) reporter->signal_download().emit(text, done);
}

// While its file is being saved, the download is held, so that it is there to be failed
// when its network process ends, whatever the engine drops meanwhile.
void stop_saving(Download* state) {
    if (saving().erase(state)) g_object_unref(state->download);  // may delete the state
}

// Ends a download that will not complete: its files go, and the status bar says so.
void fail(Download* state, const std::string& why) {
    if (std::exchange(state->ended, true)) return;
    std::error_code ignored;
    if (!state->destination.empty()) {
        std::filesystem::remove(state->destination, ignored);  // no half file left
        std::filesystem::remove(state->destination.string() + ".wkdownload", ignored);
    }
    const std::string name = state->name.empty() ? "the file" : state->name;
    report(state, "Download of " + name + " failed" + (why.empty() ? "" : ": " + why), true);
    stop_saving(state);
}

// The engine's network process does the downloading, and its downloads end with it without
// a word from the engine; so while files are being saved, the process is watched.
std::set<pid_t>& watched() {
    static std::set<pid_t> pids;
    return pids;
}

gboolean on_network_process_ended(int fd, GIOCondition, gpointer pid) {
    ::close(fd);
    watched().erase(GPOINTER_TO_INT(pid));
    for (Download* state : std::set<Download*>(saving())) fail(state, "the connection was lost");
    return G_SOURCE_REMOVE;
}

void watch_network_processes() {
    for (const auto& entry : std::filesystem::directory_iterator("/proc", std::filesystem::directory_options::skip_permission_denied)) {
        std::ifstream in(entry.path() / "stat");
        std::string line;
        std::getline(in, line);
        // "pid (name) state ppid ..."; the engine's name is cut to 15 characters by the kernel.
        const auto close = line.rfind(')');
        if (close == std::string::npos || line.find("(WebKitNetworkPr)") == std::string::npos) continue;
        char state = 0;
        int parent = 0;
        const pid_t pid = std::atoi(line.c_str());
        if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) != 2 || parent != getpid() ||
            watched().contains(pid))
            continue;
        const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
        if (fd < 0) continue;
        watched().insert(pid);
        g_unix_fd_add(fd, G_IO_IN, on_network_process_ended, GINT_TO_POINTER(pid));
    }
}

void save(WebKitDownload* download, Download* state) {
    const auto folder = download_folder();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    state->destination = reserve_download_file(folder, state->suggested);
    if (state->destination.empty()) {
        webkit_download_cancel(download);  // reported as failed
        return;
    }
    state->name = state->destination.filename().string();
    webkit_download_set_allow_overwrite(download, TRUE);  // only the empty file reserved above
    gchar* uri = g_filename_to_uri(state->destination.c_str(), nullptr, nullptr);
    webkit_download_set_destination(download, uri);
    g_free(uri);
    if (saving().insert(state).second) g_object_ref(download);
    watch_network_processes();
}

Download* state_of(WebKitDownload* download) {
    return static_cast<Download*>(g_object_get_data(G_OBJECT(download), "kelvane-download"));
}

gboolean on_decide_destination(WebKitDownload* download, const char* suggested, Download* state) {
    state->learn_view(webkit_download_get_web_view(download));
    state->suggested = suggested ? suggested : "";
    state->name = std::filesystem::path(state->suggested).filename().string();
    // Saved now or, while the user is asked whether the page may save more, once answered.
    g_object_ref(download);
    permit_download(webkit_download_get_web_view(download), state->name, [download](bool allowed) {
        if (Download* state = state_of(download); allowed) {
            save(download, state);
        } else {
            state->ended = true;
            report(state, "Did not save " + state->name + ": the page started that download by itself", false);
            webkit_download_cancel(download);
        }
        g_object_unref(download);
    });
    return TRUE;
}

void on_received_data(WebKitDownload* download, guint64, Download* state) {
    const int percent = static_cast<int>(std::floor(webkit_download_get_estimated_progress(download) * 100));
    if (percent == state->percent || state->ended) return;
    state->percent = percent;
    report(state, "Downloading " + state->name + "... " + std::to_string(percent) + "%", false);
}

void on_failed(WebKitDownload*, GError* error, Download* state) { fail(state, error ? error->message : ""); }

void on_finished(WebKitDownload*, Download* state) {
    if (std::exchange(state->ended, true)) return;
    report(state, "Downloaded " + state->name + " to " + state->destination.parent_path().string(), true);
    stop_saving(state);
}

void on_download_started(WebKitWebContext*, WebKitDownload* download, void*) {
    auto* state = new Download(download);  // owned by the download from here on
    state->learn_view(webkit_download_get_web_view(download));
    g_object_set_data_full(G_OBJECT(download), "kelvane-download", state, [](void* data) {
        saving().erase(static_cast<Download*>(data));
        delete static_cast<Download*>(data);
    });
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

// The engine writes a download to "<name>.wkdownload" until it is complete, and both names
// must fit in the 255 bytes that a file name may have.
constexpr std::size_t kLongestName = 255 - std::string_view(".wkdownload").size();

// The text cut to at most `bytes` bytes, between two characters (UTF-8).
std::string cut(const std::string& text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
    return text.substr(0, bytes);
}

}  // namespace

void watch_downloads(WebKitWebContext* context) {
    g_signal_connect(context, "download-started", G_CALLBACK(on_download_started), nullptr);
}

std::filesystem::path reserve_download_file(const std::filesystem::path& folder, const std::string& suggested) {
    std::string name = std::filesystem::path(suggested).filename().string();
    if (name.empty() || name == "." || name == "..") name = "download";
    auto [stem, extension] = split_extension(name);
    if (extension.size() > kLongestName / 2) {  // not an extension
        stem = name;
        extension.clear();
    }
    for (int n = 0; n < 10000; ++n) {
        const std::string number = n == 0 ? "" : " (" + std::to_string(n) + ")";
        const auto path = folder / (cut(stem, kLongestName - number.size() - extension.size()) + number + extension);
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
