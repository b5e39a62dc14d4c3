// A created program's entry in the user's applications menu, so that it starts the way
// installed programs do, with its icon.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "common/settings_record.h"

namespace kelvane {

// What an entry says.
struct MenuEntry {
    std::string name;                // shown in the menu
    std::filesystem::path program;   // absolute
    std::filesystem::path icon;      // absolute
    std::string window_class;        // the class of the program's windows
};

// The entry as a desktop entry file; none when a path holds characters that an entry
// cannot carry (bytes that are not UTF-8, control characters other than line breaks
// and tabs).
std::optional<std::string> menu_entry_text(const MenuEntry& entry);

// Where the entry of a program with this file name lives; compiling again under the
// same file name replaces it.
std::filesystem::path menu_entry_path(const std::string& file_name);

// Installs the entry of the program just compiled at `program` (an absolute path) from
// `record`: the chosen icon, or a browser icon of our own, as a PNG in the program's
// data folder, then the entry itself, each written whole or not at all. Empty, or what
// went wrong.
std::string install_menu_entry(const SettingsRecord& record, const std::filesystem::path& program);

}  // namespace kelvane
