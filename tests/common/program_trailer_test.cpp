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

void write_bytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// A template like the built one: code, then zero bytes the trailer may overwrite.
Bytes template_bytes(std::size_t code) {
    Bytes t(code, 0x4B);
    t.resize(code + 16, 0);
    return t;
}

// Every key with a value of its kind. Texts include the empty text and non-ASCII UTF-8;
// "picture" is empty and "picture1" holds every byte value.
SettingsRecord every_key() {
    static const std::string kTexts[] = {"", "Grüße – ½ €", "東京 🎵", "http://127.0.0.1/a b?c=d", "3735"};
    SettingsRecord r;
    std::size_t n = 0;
    for (const auto& [name, kind] : kSettingsKeys) {
        Picture p;
        if (name == "picture1")
            for (int i = 0; i < 512; ++i) p.bytes.push_back(static_cast<std::uint8_t>(i * 7));
        if (kind == ValueKind::String) r.WriteProperty(name, kTexts[n++ % std::size(kTexts)]);
        if (kind == ValueKind::Int16) r.WriteProperty(name, std::int16_t{-12345});
        if (kind == ValueKind::Picture) r.WriteProperty(name, p);
    }
    return r;
}

class ProgramTrailer : public ::testing::Test {
protected:
    // Writes the template to a file, appends the trailer through a descriptor opened
    // with `flags`, and returns the program's bytes.
    Bytes create(const Bytes& template_file, const SettingsRecord& record, int flags = O_RDWR) {
        write_bytes(program(), template_file);
        const int fd = ::open(program().c_str(), flags | O_CLOEXEC);
        EXPECT_GE(fd, 0);
        error = append_trailer(fd, record);
        ::close(fd);
        const std::string text = test::read_all(program());
        return {text.begin(), text.end()};
    }
    std::filesystem::path program() const { return dir_ / "program"; }

    test::TempDir dir_;
    std::error_code error;
};

TEST_F(ProgramTrailer, LayoutFollowsTheTemplateAndReadsBackWithEveryKind) {
    const struct {
        const char* name;
        Bytes template_file;
        SettingsRecord record;
    } cases[] = {
        {"one-byte template, empty record", Bytes{0xAB}, SettingsRecord()},
        {"template ending in a non-zero byte", Bytes(1000, 0x5A), every_key()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes contents = c.record.Contents();
        const std::size_t L = c.template_file.size(), N = contents.size();
        const Bytes p = create(c.template_file, c.record);
        EXPECT_FALSE(error) << error.message();
        ASSERT_EQ(p.size(), L + N + 15);
        EXPECT_TRUE(std::equal(c.template_file.begin(), c.template_file.end() - 1, p.begin()));
        EXPECT_EQ(p[L - 1] | p[L] << 8, 0x2011);      // type word on the template's last byte
        EXPECT_EQ(p[L + 1] | p[L + 2] << 8, 1);       // one dimension
        EXPECT_EQ(le32(p, L + 3), N);                 // element count
        EXPECT_EQ(le32(p, L + 7), 0u);                // lower bound
        EXPECT_TRUE(std::equal(contents.begin(), contents.end(), p.begin() + L + 11));
        EXPECT_EQ(le32(p, p.size() - 4), L);          // begin position
        EXPECT_EQ(read_trailer(program()), c.record);  // values and their kinds
        EXPECT_EQ(read_trailer(MemoryBytes(p)), c.record);
    }
}

TEST_F(ProgramTrailer, AppendingThatCannotSucceedReportsAnErrorAndWritesNothing) {
    for (const auto& [template_file, flags] : {std::pair{Bytes{}, O_RDWR}, std::pair{template_bytes(50), O_RDONLY}}) {
        EXPECT_EQ(create(template_file, every_key(), flags), template_file);
        EXPECT_TRUE(error);
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

TEST_F(ProgramTrailer, NoTrailerOrADamagedOneReadsAsTheEmptyRecord) {
    const SettingsRecord record = every_key();
    const Bytes t = template_bytes(64);
    const Program valid{create(t, record), t.size(), record.Contents().size()};
    ASSERT_EQ(read_trailer(MemoryBytes(valid.bytes)), record);

    const struct {
        const char* name;
        void (*apply)(Program&);
    } damages[] = {
        {"no bytes", [](Program& p) { p.bytes.clear(); }},
        {"three bytes", [](Program& p) { p.bytes.resize(3); }},
        {"truncated by one byte", [](Program& p) { p.bytes.pop_back(); }},
        {"truncated in the record", [](Program& p) { p.bytes.resize(p.record_at() + p.N / 2); }},
        {"truncated in the block header", [](Program& p) { p.bytes.resize(p.L + 5); }},
        {"the bare template", [](Program& p) { p.bytes = template_bytes(64); }},
        {"wrong type word", [](Program& p) { p.put16(p.L - 1, 0x2008); }},
        {"two dimensions", [](Program& p) { p.put16(p.L + 1, 2); }},
        {"negative element count", [](Program& p) { p.put32(p.count_at(), 0xFFFFFFFF); }},
        {"huge element count", [](Program& p) { p.put32(p.count_at(), 0x7FFFFFFF); }},
        {"element count one too many", [](Program& p) { p.put32(p.count_at(), p.N + 1); }},
        {"element count one too few", [](Program& p) { p.put32(p.count_at(), p.N - 1); }},
        {"begin position 0", [](Program& p) { p.put32(p.begin_pos_at(), 0); }},
        {"negative begin position", [](Program& p) { p.put32(p.begin_pos_at(), 0x80000000); }},
        {"begin position past the end", [](Program& p) { p.put32(p.begin_pos_at(), p.bytes.size() + 1); }},
        {"begin position at itself", [](Program& p) { p.put32(p.begin_pos_at(), p.begin_pos_at() + 1); }},
        {"begin position one byte late", [](Program& p) { p.put32(p.begin_pos_at(), p.L + 1); }},
        {"begin position one byte early", [](Program& p) { p.put32(p.begin_pos_at(), p.L - 1); }},
        {"record bytes zeroed", [](Program& p) { std::fill_n(p.bytes.begin() + p.record_at(), p.N, 0); }},
    };
    for (const auto& d : damages) {
        SCOPED_TRACE(d.name);
        Program p = valid;
        d.apply(p);
        EXPECT_TRUE(read_trailer(MemoryBytes(p.bytes)).empty());
        write_bytes(program(), p.bytes);
        EXPECT_TRUE(read_trailer(program()).empty());
    }
    EXPECT_TRUE(read_trailer(test::template_path()).empty());
    EXPECT_TRUE(read_trailer(dir_ / "missing").empty());
    EXPECT_TRUE(read_trailer(dir_.path()).empty());
}

// The fuzz corpus replayed in the ordinary build: every input, read as a whole program
// file and as record bytes of its own, gives records that survive a round trip; bytes
// that do not restore leave even a record that held values empty.
TEST(FuzzCorpus, EveryInputRestoresToRecordsThatRoundTrip) {
    int inputs = 0, from_trailer = 0;  // from_trailer: inputs whose trailer held a record
    for (const auto& entry : std::filesystem::directory_iterator(KELVANE_FUZZ_CORPUS)) {
        SCOPED_TRACE(entry.path().filename().string());
        const std::string text = test::read_all(entry.path());
        const Bytes bytes(text.begin(), text.end());
        SettingsRecord from_file = read_trailer(MemoryBytes{bytes}), record, again;
        ++inputs;
        from_trailer += !from_file.empty();
        record.WriteProperty("Caption", std::string("before"));
        if (record.SetContents(bytes))
            EXPECT_EQ(record.Contents(), bytes);
        else
            EXPECT_TRUE(record.empty());
        for (const SettingsRecord* r : {&from_file, &record}) {
            EXPECT_TRUE(again.SetContents(r->Contents()));
            EXPECT_EQ(again, *r);
        }
    }
    EXPECT_GT(inputs, 0) << "no inputs in " << KELVANE_FUZZ_CORPUS;
    EXPECT_GT(from_trailer, 0) << "no input carries a usable trailer";
}

}  // namespace
}  // namespace kelvane
