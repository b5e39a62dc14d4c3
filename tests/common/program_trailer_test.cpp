#include "common/program_trailer.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "common/settings_keys.h"
#include "tests/support/created_program.h"

namespace kelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes read_bytes(const std::filesystem::path& path) {
    const std::string text = test::read_all(path);
    return {text.begin(), text.end()};
}

void write_bytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void put16(Bytes& b, std::size_t at, std::uint32_t v) { b[at] = v & 0xFF; b[at + 1] = (v >> 8) & 0xFF; }
void put32(Bytes& b, std::size_t at, std::uint32_t v) { put16(b, at, v); put16(b, at + 2, v >> 16); }

// Each key of the table with a value of its kind.
SettingsRecord every_key() {
    SettingsRecord r;
    for (const auto& [name, kind] : kSettingsKeys)
        r.WriteProperty(name, kind == ValueKind::String  ? Value("Grüße 🎵 " + std::string(name))
                              : kind == ValueKind::Int16 ? Value(std::int16_t{-12345})
                                                         : Value(Picture{{0x00, 0xFF, 0x11, 0x20}}));
    return r;
}

class ProgramTrailer : public ::testing::Test {
protected:
    // The template written to a file with the trailer appended through a descriptor
    // opened with `flags`: the program's bytes.
    Bytes create(const Bytes& template_file, const SettingsRecord& record, int flags = O_RDWR) {
        write_bytes(program(), template_file);
        const int fd = ::open(program().c_str(), flags | O_CLOEXEC);
        error = append_trailer(fd, record);
        ::close(fd);
        return read_bytes(program());
    }
    std::filesystem::path program() const { return dir_ / "program"; }

    test::TempDir dir_;
    std::error_code error;
};

// The block starts on the template's last byte: type word 0x2011, one dimension, the
// count, lower bound 0, the record; then the begin position L, the template's length.
TEST_F(ProgramTrailer, LayoutFollowsTheTemplateAndReadsBackWithEveryKind) {
    for (const auto& [template_file, record] : {std::pair{Bytes{0xAB}, SettingsRecord()}, {Bytes(1000, 0x5A), every_key()}}) {
        const Bytes contents = record.Contents();
        const std::size_t L = template_file.size(), N = contents.size();
        Bytes expected(template_file.begin(), template_file.end() - 1);
        expected.resize(L + 11);
        put16(expected, L - 1, 0x2011);
        put16(expected, L + 1, 1);
        put32(expected, L + 3, N);
        expected.insert(expected.end(), contents.begin(), contents.end());
        expected.resize(L + N + 15);
        put32(expected, L + N + 11, L);
        EXPECT_EQ(create(template_file, record), expected);
        EXPECT_FALSE(error) << error.message();
        EXPECT_EQ(read_trailer(program()), record);  // values and their kinds
        EXPECT_EQ(read_trailer(MemoryBytes(expected)), record);
    }
    // No last byte to start on, or a file that cannot be written: an error, and nothing written.
    for (const auto& [template_file, flags] : {std::pair{Bytes{}, O_RDWR}, {Bytes(50, 0), O_RDONLY}}) {
        EXPECT_EQ(create(template_file, every_key(), flags), template_file);
        EXPECT_TRUE(error);
    }
}

// Damaged one part at a time, or missing: the empty record, from a file as from bytes.
TEST_F(ProgramTrailer, NoTrailerOrADamagedOneReadsAsTheEmptyRecord) {
    const SettingsRecord record = every_key();
    const std::size_t L = 64, N = record.Contents().size(), end = L + N + 11;
    const Bytes valid = create(Bytes(L, 0), record);
    ASSERT_EQ(read_trailer(MemoryBytes(valid)), record);
    const struct {
        const char* name;
        std::function<void(Bytes&)> damage;
    } cases[] = {
        {"three bytes", [](Bytes& p) { p.resize(3); }},
        {"wrong type word", [&](Bytes& p) { put16(p, L - 1, 0x2008); }},
        {"two dimensions", [&](Bytes& p) { put16(p, L + 1, 2); }},
        {"negative element count", [&](Bytes& p) { put32(p, L + 3, 0xFFFFFFFF); }},
        {"huge element count", [&](Bytes& p) { put32(p, L + 3, 0x7FFFFFFF); }},
        {"begin position 0", [&](Bytes& p) { put32(p, end, 0); }},
        {"begin position past the end", [&](Bytes& p) { put32(p, end, p.size() + 1); }},
        {"begin position at itself", [&](Bytes& p) { put32(p, end, end + 1); }},
        {"begin position one byte late", [&](Bytes& p) { put32(p, end, L + 1); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes p = valid;
        c.damage(p);
        EXPECT_TRUE(read_trailer(MemoryBytes(p)).empty());
        write_bytes(program(), p);
        EXPECT_TRUE(read_trailer(program()).empty());
    }
    for (const auto& path : {test::template_path(), dir_ / "missing", dir_.path()}) EXPECT_TRUE(read_trailer(path).empty());
}

}  // namespace
}  // namespace kelvane
