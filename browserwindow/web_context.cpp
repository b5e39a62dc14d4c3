#include "browserwindow/web_context.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "browserwindow/downloads.h"
#include "platform/application.h"
#include "platform/user_folders.h"

namespace kelvane {
namespace {

struct WebFolders {
    std::filesystem::path data, cache;
};

// Unless the program chose others, those named after its own file.
WebFolders& web_folders() {
    static WebFolders folders{program_data_folder(own_file().filename().string()),
                              program_cache_folder(own_file().filename().string())};
    return folders;
}

// The engine starts its sandboxed web processes through these two programs (their paths
// are fixed when the engine is built).
constexpr const char* kBubblewrap = "/usr/bin/bwrap";
constexpr const char* kDBusProxy = "/usr/bin/xdg-dbus-proxy";

// Where bubblewrap cannot make the namespaces the engine asks for (a kernel or container
// without unprivileged user namespaces), a sandboxed web process never starts and every
// page stays blank; so it is tried once, on a program that does nothing. The trial runs
// while the engine sets itself up, and is waited for when its answer is needed.
std::optional<GPid> begin_sandbox_trial() {
    if (!g_file_test(kDBusProxy, G_FILE_TEST_IS_EXECUTABLE)) return std::nullopt;
    const char* argv[] = {kBubblewrap, "--unshare-pid", "--unshare-ipc", "--unshare-uts", "--unshare-net",
                          "--ro-bind",  "/",              "/",             "/bin/true",     nullptr};
    GPid pid = 0;
    if (!g_spawn_async(nullptr, const_cast<char**>(argv), nullptr,
                       GSpawnFlags(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL),
                       nullptr, nullptr, &pid, nullptr))
        return std::nullopt;
    return pid;
}

bool sandbox_trial_passed(std::optional<GPid> trial) {
    if (!trial) return false;
    int status = 0;
    pid_t ended;
    do ended = waitpid(*trial, &status, 0);
    while (ended < 0 && errno == EINTR);
    g_spawn_close_pid(*trial);
    return ended == *trial && g_spawn_check_wait_status(status, nullptr);
}

// Begun with the context, before the engine's own set-up; waited for after it.
std::optional<GPid>& early_sandbox_trial() {
    static std::optional<GPid> trial;
    return trial;
}

// Sessions and site data are the user's alone: the folders are the user's only, and so is
// the cookie store, made before the engine opens it (the engine would make it readable by all).
void make_private(const std::filesystem::path& data, const std::filesystem::path& cache,
                  const std::filesystem::path& cookies) {
    std::error_code ignored;
    for (const auto& folder : {data, cache}) {
        std::filesystem::create_directories(folder, ignored);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ignored);
    }
    const int fd = ::open(cookies.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0) {
        fchmod(fd, 0600);
        ::close(fd);
    }
}

WebKitWebContext* make_context() {
    const auto [data, cache] = web_folders();
    const auto cookies = data / "cookies.sqlite";
    make_private(data, cache, cookies);
    early_sandbox_trial() = begin_sandbox_trial();

    WebKitWebsiteDataManager* manager = webkit_website_data_manager_new(
        "base-data-directory", data.c_str(), "base-cache-directory", cache.c_str(), nullptr);
    WebKitWebContext* context = webkit_web_context_new_with_website_data_manager(manager);
    g_object_unref(manager);  // the context keeps it
    // Kept between runs so that a login survives a restart; the accept policy stays the engine's.
    webkit_cookie_manager_set_persistent_storage(webkit_web_context_get_cookie_manager(context), cookies.c_str(),
                                                 WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);

    // The web processes get none of the program's folders: cookies, site storage and the
    // cache are the network process's to read and write. (The engine lends them its own
    // media-key store inside the data folder.)
    if (web_sandbox_enabled()) {
        webkit_web_context_set_sandbox_enabled(context, TRUE);
        std::error_code ignored;
        const auto downloads = download_folder();
        if (std::filesystem::is_directory(downloads, ignored))
            webkit_web_context_add_path_to_sandbox(context, downloads.c_str(), TRUE);
    }
    watch_downloads(context);
    return context;
}

}  // namespace

void set_web_folders(std::filesystem::path data, std::filesystem::path cache) {
    web_folders() = {std::move(data), std::move(cache)};
}

std::filesystem::path web_data_folder() { return web_folders().data; }

void prepare_web_sandbox() {
    if (g_getenv("GST_REGISTRY")) return;
    // GStreamer's own choice: GST_REGISTRY_1_0 when set, else its registry in the cache folder.
    std::string registry;
    if (const char* chosen = g_getenv("GST_REGISTRY_1_0")) {
        registry = chosen;
    } else {
        utsname machine{};
        uname(&machine);
        registry = (std::filesystem::path(g_get_user_cache_dir()) / "gstreamer-1.0" /
                    (std::string("registry.") + machine.machine + ".bin"))
                       .string();
    }
    g_setenv("GST_REGISTRY", registry.c_str(), TRUE);
}


bool web_sandbox_enabled() {
    static const bool enabled = [] {
        const bool can_run = sandbox_trial_passed(early_sandbox_trial() ? std::exchange(early_sandbox_trial(), std::nullopt)
                                                                         : begin_sandbox_trial());
        if (!can_run)
            std::fprintf(stderr, "%s: the web sandbox (bubblewrap) cannot run on this system; pages are shown without it\n",
                         own_file().filename().c_str());
        return can_run;
    }();
    return enabled;
}

WebKitWebContext* web_context() {
    static WebKitWebContext* const context = make_context();  // lives as long as the program
    return context;
}

WebKitWebView* new_web_view() {
    return WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", web_context(), nullptr));
}

}  // namespace kelvane
