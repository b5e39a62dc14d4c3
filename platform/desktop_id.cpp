#include "platform/desktop_id.h"

#include <gdk/gdk.h>

#include <cstdint>
#include <cstdio>

namespace kelvane {
namespace {

constexpr const char* kPrefix = "kelvane-";
// Leaves room for ".desktop" and the hash within the 255 bytes a file name may have.
constexpr std::size_t kLongest = 200;

bool kept(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'; }

// FNV-1a: the same in the maker and in every created program, whatever built them.
std::uint64_t stable_hash(const std::string& text) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : text) hash = (hash ^ c) * 0x100000001b3ull;
    return hash;
}

}  // namespace

std::string desktop_id(const std::string& file_name) {
    std::string id = kPrefix;
    for (unsigned char c : file_name) {
        if (id.size() + 3 > kLongest) {
            char hash[18];
            std::snprintf(hash, sizeof hash, "-%016llx", static_cast<unsigned long long>(stable_hash(file_name)));
            return id + hash;
        }
        char escaped[4] = {static_cast<char>(c)};
        if (!kept(c)) std::snprintf(escaped, sizeof escaped, "_%02X", c);
        id += escaped;
    }
    return id;
}

void set_window_class(const std::string& id) {
    // The instance part of the class is the program name, the class part the program
    // class; desktops match either against the entry, so both carry the id.
    g_set_prgname(id.c_str());
    gdk_set_program_class(id.c_str());
}

}  // namespace kelvane
