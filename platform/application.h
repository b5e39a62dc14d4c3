// The running program's own file, folder and name.
#pragma once

#include <filesystem>
#include <string>

namespace kelvane {

// The program's own file, found through /proc/self/exe under any name and in any folder.
std::filesystem::path own_file();
// The folder that holds the program (the application's Path).
std::filesystem::path app_path();
// The program's file name without its extension (the application's EXEName).
std::string exe_name();

}  // namespace kelvane
