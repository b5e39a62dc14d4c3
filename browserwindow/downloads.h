// What the engine downloads: saved to the user's download folder under a name that no
// file there has yet, and reported through the web view that started it.
#pragma once

#include <filesystem>
#include <string>

typedef struct _WebKitWebContext WebKitWebContext;

namespace kelvane {

// Takes every download of the context.
void watch_downloads(WebKitWebContext* context);

// Makes an empty file in `folder` named after `suggested` (any folder part dropped),
// or "name (1).ext", "name (2).ext", ... when that name is taken, so that no download
// ever overwrites a file; its path, or empty when none could be made.
std::filesystem::path reserve_download_file(const std::filesystem::path& folder, const std::string& suggested);

}  // namespace kelvane
