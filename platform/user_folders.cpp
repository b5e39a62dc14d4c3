#include "platform/user_folders.h"

#include <glib.h>

namespace kelvane {
namespace {

std::filesystem::path home() { return g_get_home_dir(); }

}  // namespace

std::filesystem::path program_data_folder(const std::string& name) {
    return std::filesystem::path(g_get_user_data_dir()) / "kelvane" / name;
}

std::filesystem::path program_cache_folder(const std::string& name) {
    return std::filesystem::path(g_get_user_cache_dir()) / "kelvane" / name;
}

std::filesystem::path maker_data_folder() { return std::filesystem::path(g_get_user_data_dir()) / "kelvanemaker"; }

std::filesystem::path maker_cache_folder() { return std::filesystem::path(g_get_user_cache_dir()) / "kelvanemaker"; }

std::filesystem::path applications_folder() { return std::filesystem::path(g_get_user_data_dir()) / "applications"; }

std::filesystem::path download_folder() {
    // GLib falls back to the home folder itself when no download folder is configured;
    // a browser should not drop files straight into the home folder.
    const char* configured = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD);
    if (configured && std::filesystem::path(configured) != home()) return configured;
    return home() / "Downloads";
}

}  // namespace kelvane
