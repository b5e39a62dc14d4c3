#include "maker/web_engine.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>

namespace {

// Where a stub jumps before the engine is loaded: a call that came too early is a bug in
// the maker, stopped here rather than followed to address zero.
[[noreturn]] void engine_not_loaded() {
    std::fputs("kelvanemaker: the web engine was called before it was loaded\n", stderr);
    std::abort();
}

}  // namespace

// One slot per function, read by its stub in web_engine_stubs.S.
extern "C" {
#define KELVANE_ENGINE_FUNCTION(name) \
    [[gnu::visibility("hidden")]] void* kelvane_engine_##name = reinterpret_cast<void*>(&engine_not_loaded);
#include "maker/web_engine_functions.h"
#undef KELVANE_ENGINE_FUNCTION
}

namespace kelvane {
namespace {

struct Slot {
    const char* name;
    void** address;
};

constexpr Slot kSlots[] = {
#define KELVANE_ENGINE_FUNCTION(name) {#name, &kelvane_engine_##name},
#include "maker/web_engine_functions.h"
#undef KELVANE_ENGINE_FUNCTION
};

std::string load() {
    // The libraries stay loaded for the rest of the program. WebKit depends on GStreamer,
    // so its handle finds the functions of both.
    void* webkit = dlopen("libwebkit2gtk-4.1.so.0", RTLD_LAZY);
    if (!webkit) return dlerror();
    for (const Slot& slot : kSlots) {
        void* function = dlsym(webkit, slot.name);
        if (!function) return std::string("the web engine has no function ") + slot.name;
        *slot.address = function;
    }
    return {};
}

std::shared_future<std::string> start() {
    static const std::shared_future<std::string> loading = std::async(std::launch::async, load).share();
    return loading;
}

}  // namespace

void begin_loading_web_engine() { start(); }

std::string wait_for_web_engine() { return start().get(); }

}  // namespace kelvane
