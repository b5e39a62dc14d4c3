// The engine's context that every web view of the program shares: where sessions, site
// data and the cache are kept, and the sandbox that pages render in.
#pragma once

#include <filesystem>

typedef struct _WebKitWebContext WebKitWebContext;
typedef struct _WebKitWebView WebKitWebView;

namespace kelvane {

// The folders that sessions and site data (`data`) and the engine's cache (`cache`) are
// kept in. Takes effect only before the first web view is made; unset, they are the
// folders named after the program's own file (program_data_folder, program_cache_folder),
// so that two programs with different names share nothing.
void set_web_folders(std::filesystem::path data, std::filesystem::path cache);

// The folder that sessions and site data are kept in.
std::filesystem::path web_data_folder();

// Settles, before anything else runs, what the sandboxed web processes are given besides
// their pages: the engine lends them the folder of GStreamer's plugin registry, and without
// GST_REGISTRY it takes that to be the whole cache folder, this program's and every other
// program's caches included. Call first thing in main, while the program has one thread.
void prepare_web_sandbox();

// The program's one context, made with the first web view.
WebKitWebContext* web_context();

// A new view in the program's context.
WebKitWebView* new_web_view();

// Whether pages render in the engine's sandbox; false where it cannot run on this system.
bool web_sandbox_enabled();

}  // namespace kelvane
