#include "platform/application.h"

#include <system_error>

namespace kelvane {

std::filesystem::path own_file() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : path;
}

std::filesystem::path app_path() { return own_file().parent_path(); }

std::string exe_name() { return own_file().stem().string(); }

}  // namespace kelvane
