#include "common/program_trailer.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/settings_keys.h"
#include "tests/support/created_program.h"

namespace kelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void write_bytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// A template like the built one: code, then zero bytes the trailer may overwrite.
Bytes template_bytes(std::size_t code, std::uint8_t fill = 0x4B) {
    Bytes t(code, fill);
    t.resize(code + 16, 0);
    return t;
}

// Every key of the maker with a value of its kind. Texts include the empty text and
// non-ASCII UTF-8; "picture" is empty and "picture1" holds every byte value.
SettingsRecord every_key() {
    static const std::string kTexts[] = {"", "Grüße – ½ €", "東京 🎵", "http://127.0.0.1/a b?c=d", "3735"};
    SettingsRecord r;
    std::size_t n = 0;
    for (const auto& [name, kind] : kSettingsKeys) {
        if (kind == ValueKind::String) r.WriteProperty(name, kTexts[n++ % std::size(kTexts)]);
        if (kind == ValueKind::Int16) r.WriteProperty(name, std::int16_t{-12345});
        if (kind == ValueKind::Picture) {
            Picture p;
            if (name == "picture1")
                for (int i = 0; i < 512; ++i) p.bytes.push_back(static_cast<std::uint8_t>(i * 7));
            r.WriteProperty(name, p);
        }
    }
    return r;
}

bool holds(const Value& v, ValueKind kind) {
    return kind == ValueKind::String  ? std::holds_alternative<std::string>(v)
           : kind == ValueKind::Int16 ? std::holds_alternative<std::int16_t>(v)
                                      : std::holds_alternative<Picture>(v);
}

class ProgramTrailer : public ::testing::Test {
protected:
    // Writes the template to a file, appends the trailer through a POSIX descriptor
    // and returns the program's bytes.
    Bytes create(const Bytes& template_file, const SettingsRecord& record) {
        write_bytes(program(), template_file);
        const int fd = ::open(program().c_str(), O_RDWR | O_CLOEXEC);
        EXPECT_GE(fd, 0);
        const std::error_code error = append_trailer(fd, record);
        ::close(fd);
        EXPECT_FALSE(error) << error.message();
        return read_bytes(program());
    }
    std::filesystem::path program() const { return dir_ / "program"; }

    test::TempDir dir_;
};

TEST_F(ProgramTrailer, LayoutFollowsTheTemplate) {
    const struct {
        const char* name;
        Bytes template_file;
        SettingsRecord record;
    } cases[] = {
        {"one-byte template, empty record", Bytes{0xAB}, SettingsRecord()},
        {"template ending in a non-zero byte", Bytes(1000, 0x5A), every_key()},
        {"template ending in zeros", template_bytes(300), test::default_record()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes contents = c.record.Contents();
        const std::size_t L = c.template_file.size(), N = contents.size();
        const Bytes p = create(c.template_file, c.record);
        ASSERT_EQ(p.size(), L + N + 15);
        EXPECT_EQ(le32(p, p.size() - 4), L);
        EXPECT_EQ(p[L - 1], 0x11);
        EXPECT_EQ(p[L], 0x20);
        EXPECT_TRUE(std::equal(c.template_file.begin(), c.template_file.end() - 1, p.begin()));
        EXPECT_EQ(p[L + 1] | p[L + 2] << 8, 1);  // one dimension
        EXPECT_EQ(le32(p, L + 3), N);
        EXPECT_EQ(le32(p, L + 7), 0u);  // lower bound
        EXPECT_TRUE(std::equal(contents.begin(), contents.end(), p.begin() + L + 11));
        EXPECT_EQ(read_trailer(program()), c.record);
        EXPECT_EQ(read_trailer(MemoryBytes(p)), c.record);
    }
}

TEST_F(ProgramTrailer, EveryKeyRoundTripsWithItsKind) {
    const SettingsRecord written = every_key();
    ASSERT_EQ(written.size(), kSettingsKeys.size());
    create(template_bytes(200), written);
    const SettingsRecord read = read_trailer(program());
    EXPECT_EQ(read, written);
    for (const auto& [name, kind] : kSettingsKeys) {
        SCOPED_TRACE(std::string(name));
        EXPECT_TRUE(holds(read.ReadProperty(name), kind));
        EXPECT_EQ(read.ReadProperty(name), written.ReadProperty(name));
    }
}

TEST_F(ProgramTrailer, BareTemplateReadsAsTheEmptyRecord) {
    const Bytes bare = template_bytes(100);
    for (const SettingsRecord& r : {read_trailer(test::template_path()), read_trailer(MemoryBytes(bare))}) {
        EXPECT_TRUE(r.empty());
        for (const auto& key : kSettingsKeys) EXPECT_EQ(r.ReadProperty(key.name), Value{}) << key.name;
    }
}

TEST_F(ProgramTrailer, AppendingThatCannotSucceedReportsAnErrorAndWritesNothing) {
    const struct {
        const char* name;
        Bytes template_file;
        int flags;
    } cases[] = {{"empty file", {}, O_RDWR}, {"read-only descriptor", template_bytes(50), O_RDONLY}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_bytes(program(), c.template_file);
        const int fd = ::open(program().c_str(), c.flags | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        EXPECT_TRUE(append_trailer(fd, every_key()));
        ::close(fd);
        EXPECT_EQ(read_bytes(program()), c.template_file);
    }
}

// A valid program and where its parts lie, for damaging one part at a time.
struct Program {
    Bytes bytes;
    std::size_t L, N;
    std::size_t count_at() const { return L + 3; }
    std::size_t record_at() const { return L + 11; }
    std::size_t begin_pos_at() const { return bytes.size() - 4; }
    void put16(std::size_t at, std::uint16_t v) { bytes[at] = v & 0xFF; bytes[at + 1] = v >> 8; }
    void put32(std::size_t at, std::uint32_t v) { put16(at, v & 0xFFFF); put16(at + 2, v >> 16); }
};

TEST_F(ProgramTrailer, DamagedTrailersReadAsTheEmptyRecord) {
    const SettingsRecord record = every_key();
    const Bytes t = template_bytes(64);
    const Program valid{create(t, record), t.size(), record.Contents().size()};
    ASSERT_EQ(read_trailer(MemoryBytes(valid.bytes)), record);

    using Damage = void (*)(Program&);
    const struct {
        const char* name;
        Damage apply;
    } damages[] = {
        {"truncated by one byte", [](Program& p) { p.bytes.pop_back(); }},
        {"truncated before the begin position", [](Program& p) { p.bytes.resize(p.begin_pos_at()); }},
        {"truncated in the record", [](Program& p) { p.bytes.resize(p.record_at() + p.N / 2); }},
        {"truncated in the block header", [](Program& p) { p.bytes.resize(p.L + 5); }},
        {"truncated to the template", [](Program& p) { p.bytes.resize(p.L); }},
        {"wrong type word", [](Program& p) { p.put16(p.L - 1, 0x2008); }},
        {"two dimensions", [](Program& p) { p.put16(p.L + 1, 2); }},
        {"no dimensions", [](Program& p) { p.put16(p.L + 1, 0); }},
        {"negative element count", [](Program& p) { p.put32(p.count_at(), 0xFFFFFFFF); }},
        {"most negative element count", [](Program& p) { p.put32(p.count_at(), 0x80000000); }},
        {"huge element count", [](Program& p) { p.put32(p.count_at(), 0x7FFFFFFF); }},
        {"element count one too many", [](Program& p) { p.put32(p.count_at(), p.N + 1); }},
        {"element count one too few", [](Program& p) { p.put32(p.count_at(), p.N - 1); }},
        {"begin position 0", [](Program& p) { p.put32(p.begin_pos_at(), 0); }},
        {"negative begin position", [](Program& p) { p.put32(p.begin_pos_at(), 0xFFFFFFFF); }},
        {"most negative begin position", [](Program& p) { p.put32(p.begin_pos_at(), 0x80000000); }},
        {"begin position past the end", [](Program& p) { p.put32(p.begin_pos_at(), p.bytes.size() + 1); }},
        {"begin position at itself", [](Program& p) { p.put32(p.begin_pos_at(), p.begin_pos_at() + 1); }},
        {"begin position one byte late", [](Program& p) { p.put32(p.begin_pos_at(), p.L + 1); }},
        {"begin position one byte early", [](Program& p) { p.put32(p.begin_pos_at(), p.L - 1); }},
        {"begin position in the record", [](Program& p) { p.put32(p.begin_pos_at(), p.record_at() + p.N / 2); }},
        {"record bytes all 0xFF", [](Program& p) { std::fill_n(p.bytes.begin() + p.record_at(), p.N, 0xFF); }},
        {"record bytes zeroed", [](Program& p) { std::fill_n(p.bytes.begin() + p.record_at(), p.N, 0); }},
        {"record bytes scrambled",
         [](Program& p) {
             std::uint32_t x = 12345;
             for (std::size_t i = 0; i < p.N; ++i) p.bytes[p.record_at() + i] = (x = x * 1103515245 + 12345) >> 24;
         }},
    };
    for (const auto& d : damages) {
        SCOPED_TRACE(d.name);
        Program p = valid;
        d.apply(p);
        EXPECT_TRUE(read_trailer(MemoryBytes(p.bytes)).empty());
        write_bytes(program(), p.bytes);
        EXPECT_TRUE(read_trailer(program()).empty());
    }
}

TEST_F(ProgramTrailer, FilesTooShortOrMissingReadAsTheEmptyRecord) {
    for (std::size_t n = 0; n < 4; ++n) {
        SCOPED_TRACE(n);
        const Bytes tiny(n, 0x01);
        EXPECT_TRUE(read_trailer(MemoryBytes(tiny)).empty());
        write_bytes(program(), tiny);
        EXPECT_TRUE(read_trailer(program()).empty());
    }
    EXPECT_TRUE(read_trailer(dir_ / "missing").empty());
    EXPECT_TRUE(read_trailer(dir_.path()).empty());
}

}  // namespace
}  // namespace kelvane
