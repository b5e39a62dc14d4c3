// Makes created programs the way the maker does: a copy of the template with the
// settings trailer appended, executable.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/settings_record.h"

namespace kelvane::test {

// The template that the build made.
std::filesystem::path template_path();
// Writes template + trailer to `program`; fails the test on any error.
void make_created_program(const std::filesystem::path& program, const SettingsRecord& record,
                          const std::filesystem::path& template_file = template_path());
// The record the maker writes by default: its design texts, with the colour chosen.
SettingsRecord default_record();

// The whole content of a file; empty when it cannot be read.
std::string read_all(const std::filesystem::path& path);

// Registers a script as the desktop's default handler for the URI schemes ("mailto"), the
// way desktops do it, in the data and config folders "data" and "config" under `folder`.
// The script appends each address it is started with to the file whose path it returns.
std::filesystem::path register_default_handler(const std::filesystem::path& folder,
                                               const std::vector<std::string>& schemes);

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace kelvane::test
