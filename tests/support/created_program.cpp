#include "tests/support/created_program.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "common/program_trailer.h"
#include "tests/support/home.h"

namespace kelvane::test {

std::filesystem::path template_path() { return KELVANE_TEMPLATE_PATH; }

void make_created_program(const std::filesystem::path& program, const SettingsRecord& record,
                          const std::filesystem::path& template_file) {
    std::filesystem::copy_file(template_file, program, std::filesystem::copy_options::overwrite_existing);
    int fd = ::open(program.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::error_code error = append_trailer(fd, record);
    ::close(fd);
    ASSERT_FALSE(error) << error.message();
    std::filesystem::permissions(program, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
}

SettingsRecord default_record() {
    SettingsRecord r;
    const std::pair<const char*, const char*> texts[] = {
        {"Caption", "Program Name"}, {"Text", "Browse Button Name"}, {"Text1", "Home Page Url"},
        {"color", "16777215"},       {"back", "Back Button Name"},   {"refresh", "Refresh Button Name"}};
    for (auto [key, text] : texts) r.WriteProperty(key, std::string(text));
    r.WriteProperty("picture", Picture{});
    r.WriteProperty("picture1", Picture{});
    r.WriteProperty("value", std::int16_t{0});
    r.WriteProperty("url", std::string("http://127.0.0.1:9/song.mp3"));
    // The controls' places, then the window's height, width, border, pointer, state and status bar.
    const char* custom[] = {"375", "120", "120",  "3735", "1695", "375", "120", "3840", "1695", "375", "120", "5520", "1455",
                            "375", "120", "7200", "8535", "4455", "600", "120", "6180", "8775", "1",   "0",   "0",   "True"};
    for (int n = 1; n <= 26; ++n) r.WriteProperty("custom" + std::to_string(n), std::string(custom[n - 1]));
    return r;
}

std::string read_all(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::filesystem::path register_default_handler(const std::filesystem::path& folder,
                                               const std::vector<std::string>& schemes) {
    const auto opened = folder / "opened.txt";
    const auto handler = folder / "handler.sh";
    std::ofstream(handler) << "#!/bin/sh\necho \"$1\" >> '" << opened.string() << "'\n";
    std::filesystem::permissions(handler, std::filesystem::perms::owner_all);
    std::string types, defaults;
    for (const std::string& scheme : schemes) {
        types += "x-scheme-handler/" + scheme + ';';
        defaults += "x-scheme-handler/" + scheme + "=kelvane-test-handler.desktop\n";
    }
    std::filesystem::create_directories(folder / "data/applications");
    std::filesystem::create_directories(folder / "config");
    std::ofstream(folder / "data/applications/kelvane-test-handler.desktop")
        << "[Desktop Entry]\nType=Application\nName=Test handler\nExec=" << handler.string() << " %u\nMimeType=" << types << '\n';
    std::ofstream(folder / "config/mimeapps.list") << "[Default Applications]\n" << defaults;
    return opened;
}

void isolate_home() {
    static const TempDir home;
    const std::pair<const char*, const char*> folders[] = {
        {"HOME", ""}, {"XDG_DATA_HOME", ".local/share"}, {"XDG_CACHE_HOME", ".cache"},
        {"XDG_CONFIG_HOME", ".config"}, {"XDG_RUNTIME_DIR", ".run"}};
    for (auto [variable, below] : folders) {
        std::filesystem::create_directories(home / below);
        setenv(variable, (home / below).c_str(), 1);
    }
    std::filesystem::permissions(home / ".run", std::filesystem::perms::owner_all);
    // Nor the user's session bus: a program under test would find there one started by
    // another test, and open its window in that one.
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvane-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace kelvane::test
