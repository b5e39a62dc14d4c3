// What the engine downloads: saved to the user's download folder under a name that no
// file there has yet, and reported through the web view that started it. A page saves
// files by itself only as far as the user lets it (permit_download), and a download that
// cannot complete leaves nothing behind.
#pragma once

#include <filesystem>
#include <string>

typedef struct _WebKitWebContext WebKitWebContext;

namespace kelvane {

// Takes every download of the context.
void watch_downloads(WebKitWebContext* context);

// Makes an empty file in `folder` named after `suggested` (any folder part dropped),
// or "name (1).ext", "name (2).ext", ... when that name is taken, so that no download
// ever overwrites a file; a name too long for a file is shortened before its extension.
// Its path, or empty when none could be made.
std::filesystem::path reserve_download_file(const std::filesystem::path& folder, const std::string& suggested);

}  // namespace kelvane
