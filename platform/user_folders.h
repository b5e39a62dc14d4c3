// Where a program keeps what it keeps: folders named after its file, under the user's
// XDG data and cache folders, so that two created programs share nothing; and the
// user's download folder.
#pragma once

#include <filesystem>
#include <string>

namespace kelvane {

// $XDG_DATA_HOME/kelvane/<name> (~/.local/share when unset): sessions, site data, icons.
std::filesystem::path program_data_folder(const std::string& name);
// $XDG_CACHE_HOME/kelvane/<name> (~/.cache when unset): the engine's cache.
std::filesystem::path program_cache_folder(const std::string& name);
// $XDG_DATA_HOME/applications: the user's menu entries.
std::filesystem::path applications_folder();
// The user's download folder (XDG_DOWNLOAD_DIR, ~/Downloads when none is configured).
std::filesystem::path download_folder();

// $XDG_DATA_HOME/kelvanemaker and $XDG_CACHE_HOME/kelvanemaker: the maker's own views'.
// Beside the programs' kelvane folders rather than in them, so that a program of any
// file name keeps a store of its own.
std::filesystem::path maker_data_folder();
std::filesystem::path maker_cache_folder();

}  // namespace kelvane
