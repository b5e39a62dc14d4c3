#include "tests/support/created_program.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/program_trailer.h"

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
    const char* positions[] = {"375",  "120",  "120", "3735", "1695", "375",  "120",  "3840", "1695", "375",
                               "120",  "5520", "1455", "375", "120",  "7200", "8535", "4455", "600",  "120"};
    for (int n = 1; n <= 20; ++n) r.WriteProperty("custom" + std::to_string(n), std::string(positions[n - 1]));
    const std::pair<const char*, const char*> window[] = {{"custom21", "6180"}, {"custom22", "8775"}, {"custom23", "1"},
                                                          {"custom24", "0"},    {"custom25", "0"},    {"custom26", "True"}};
    for (auto [key, text] : window) r.WriteProperty(key, std::string(text));
    return r;
}

std::string read_all(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path register_default_handler(const std::filesystem::path& folder,
                                               const std::vector<std::string>& schemes) {
    const auto opened = folder / "opened.txt";
    const auto handler = folder / "handler.sh";
    std::ofstream(handler) << "#!/bin/sh\necho \"$1\" >> '" << opened.string() << "'\n";
    std::filesystem::permissions(handler, std::filesystem::perms::owner_all);
    std::filesystem::create_directories(folder / "data/applications");
    std::ofstream entry(folder / "data/applications/kelvane-test-handler.desktop");
    entry << "[Desktop Entry]\nType=Application\nName=Test handler\nExec=" << handler.string() << " %u\nMimeType=";
    std::filesystem::create_directories(folder / "config");
    std::ofstream defaults(folder / "config/mimeapps.list");
    defaults << "[Default Applications]\n";
    for (const std::string& scheme : schemes) {
        entry << "x-scheme-handler/" << scheme << ';';
        defaults << "x-scheme-handler/" << scheme << "=kelvane-test-handler.desktop\n";
    }
    entry << '\n';
    return opened;
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
