// The engine's context that every web view of the program shares: where sessions, site
// data and the cache are kept, and the sandbox that pages render in.
#pragma once

#include <string>

typedef struct _WebKitWebContext WebKitWebContext;
typedef struct _WebKitWebView WebKitWebView;

namespace kelvane {

// Settles, before anything else runs, what the sandboxed web processes are given besides
// their pages: the engine lends them the folder of GStreamer's plugin registry, and without
// GST_REGISTRY it takes that to be the whole cache folder, this program's and every other
// program's caches included. Call first thing in main, while the program has one thread.
void prepare_web_sandbox();

// Names the folders that sessions and the cache are kept in (program_data_folder(name),
// program_cache_folder(name)), so that two programs with different names share nothing.
// Takes effect only before the first web view is made; unnamed, the program's own file
// name is used.
void set_web_profile_name(const std::string& name);

// The program's one context, made with the first web view.
WebKitWebContext* web_context();

// A new view in the program's context.
WebKitWebView* new_web_view();

// Whether pages render in the engine's sandbox; false where it cannot run on this system.
bool web_sandbox_enabled();

}  // namespace kelvane
