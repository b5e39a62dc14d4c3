// The settings record and the program trailer that carries it at the end of a created program.
#include "common/settings_record.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "common/program_trailer.h"
#include "tests/support/created_program.h"

namespace kelvane {
namespace {

using Byte = std::uint8_t;
using Bytes = std::vector<Byte>;
using namespace std::string_literals;

// Serialised records written by hand in the stored format, so that SetContents can be
// fed bytes the writer never produces.
struct RecordBytes {
    explicit RecordBytes(std::uint16_t count) { u16(count); }
    RecordBytes& u8(std::uint8_t v) { bytes.push_back(v); return *this; }
    RecordBytes& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
    RecordBytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    RecordBytes& raw(std::string_view s) { bytes.insert(bytes.end(), s.begin(), s.end()); return *this; }
    RecordBytes& key(std::string_view k) { return u8(static_cast<std::uint8_t>(k.size())).raw(k); }
    RecordBytes& text(std::string_view k, std::string_view s) {
        return key(k).u8(1).u32(static_cast<std::uint32_t>(s.size())).raw(s);
    }
    Bytes bytes;
};

SettingsRecord record_of(std::initializer_list<std::pair<std::string, Value>> entries) {
    SettingsRecord r;
    for (const auto& [key, value] : entries) r.WriteProperty(key, value);
    return r;
}

// One value of every kind and their edges, under ordinary and unusual keys.
SettingsRecord varied_record() {
    Picture binary;
    for (int i = 0; i < 300; ++i) binary.bytes.push_back(static_cast<std::uint8_t>(i * 7));
    return record_of({{"Caption", "Mein Browser – Grüße 🎵"s}, {"Text", ""s}, {"Text1", "nul\0inside"s},
                      {"missing", std::monostate{}}, {"value", std::int16_t{-32768}}, {"max", std::int16_t{32767}},
                      {"picture", Picture{}}, {"picture1", binary}, {"schlüssel", "x"s}, {std::string(255, 'k'), std::int16_t{-1}}});
}

TEST(SettingsRecord, WriteReplacesInPlaceAndContentsRestoreTheWholeRecord) {
    const SettingsRecord r = record_of({{"a", "1"s}, {"Text1", "2"s}, {"c", std::int16_t{3}}, {"Text1", Picture{{1, 2}}}});
    EXPECT_EQ(r.Contents(), record_of({{"a", "1"s}, {"Text1", Picture{{1, 2}}}, {"c", std::int16_t{3}}}).Contents());
    for (const char* key : {"Text", "Text11", "Text1 ", ""}) EXPECT_EQ(r.ReadProperty(key), Value{}) << key;
    for (const SettingsRecord& written : {varied_record(), SettingsRecord()}) {
        SettingsRecord restored = r;  // what it held before goes
        ASSERT_TRUE(restored.SetContents(written.Contents()));
        EXPECT_EQ(restored, written);
        EXPECT_EQ(restored.Contents(), written.Contents());
    }
}

TEST(SettingsRecord, MalformedBytesLeaveTheRecordEmpty) {
    std::vector<Bytes> cases = {
        {0x01},                                                              // half a count
        RecordBytes(2).text("a", "x").text("a", "y").bytes,                  // a key twice
        RecordBytes(1).u8(0).u8(0).bytes,                                    // an empty key
        RecordBytes(1).key("a").u8(4).bytes,                                 // an unknown kind
        RecordBytes(1).key("v").u8(2).u8(7).bytes,                           // half an int16
        RecordBytes(2).text("a", "x").bytes,                                 // fewer entries than counted
        RecordBytes(1).key("a").u8(1).u32(10).raw("abc").bytes,              // text running past the end
        RecordBytes(1).key("p").u8(3).u32(0xFFFFFFFF).raw("abc").bytes,      // a picture of 4 GiB
        RecordBytes(1).text("a", "x").u8(0).bytes,                           // a byte after the last entry
        RecordBytes(2).text("a", "x").key("b").u8(9).bytes,                  // a valid entry, then a bad one
        RecordBytes(1).key("\xFF").u8(0).bytes,                              // a key that is not UTF-8
    };
    // Text that is not UTF-8: a cut sequence, an overlong one, a surrogate, beyond U+10FFFF.
    for (const char* text : {"ok\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
        cases.push_back(RecordBytes(1).text("a", text).bytes);
    for (const Bytes& bytes : cases) {
        SettingsRecord r = varied_record();
        EXPECT_FALSE(r.SetContents(bytes)) << testing::PrintToString(bytes);
        EXPECT_TRUE(r.empty());
    }
}

void put16(Bytes& b, std::size_t at, std::uint32_t v) { b[at] = v & 0xFF; b[at + 1] = (v >> 8) & 0xFF; }
void put32(Bytes& b, std::size_t at, std::uint32_t v) { put16(b, at, v); put16(b, at + 2, v >> 16); }

class ProgramTrailer : public ::testing::Test {
protected:
    // The template written to a file with the trailer appended through a descriptor opened
    // with `flags`: the program's bytes.
    Bytes create(const Bytes& template_file, const SettingsRecord& record, int flags = O_RDWR) {
        write(template_file);
        const int fd = ::open(program().c_str(), flags | O_CLOEXEC);
        error = append_trailer(fd, record);
        ::close(fd);
        const std::string text = test::read_all(program());
        return {text.begin(), text.end()};
    }
    void write(const Bytes& bytes) {
        std::ofstream(program(), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::filesystem::path program() const { return dir_ / "program"; }

    test::TempDir dir_;
    std::error_code error;
};

// The block starts on the template's last byte: type word 0x2011, one dimension, the
// count, lower bound 0, the record; then the begin position L, the template's length
// (both under 64 KiB here).
TEST_F(ProgramTrailer, LayoutFollowsTheTemplateAndReadsBack) {
    for (const auto& [template_file, record] : {std::pair{Bytes{0xAB}, SettingsRecord()}, {Bytes(1000, 0x5A), varied_record()}}) {
        const Bytes contents = record.Contents();
        const std::size_t L = template_file.size(), N = contents.size();
        const Bytes p = create(template_file, record);
        EXPECT_FALSE(error) << error.message();
        ASSERT_EQ(p.size(), L + N + 15);
        EXPECT_TRUE(std::equal(template_file.begin(), template_file.end() - 1, p.begin()));
        EXPECT_EQ(Bytes(p.begin() + L - 1, p.begin() + L + 11), (Bytes{0x11, 0x20, 1, 0, Byte(N), Byte(N >> 8), 0, 0, 0, 0, 0, 0}));
        EXPECT_TRUE(std::equal(contents.begin(), contents.end(), p.begin() + L + 11));
        EXPECT_EQ(Bytes(p.end() - 4, p.end()), (Bytes{Byte(L), Byte(L >> 8), 0, 0}));
        EXPECT_EQ(read_trailer(program()), record);
        EXPECT_EQ(read_trailer(MemoryBytes(p)), record);
    }
    // No last byte to start on, or a file that cannot be written: an error, and nothing written.
    for (const auto& [template_file, flags] : {std::pair{Bytes{}, O_RDWR}, {Bytes(50, 0), O_RDONLY}}) {
        EXPECT_EQ(create(template_file, varied_record(), flags), template_file);
        EXPECT_TRUE(error);
    }
}

// Damaged one part at a time, or missing: the empty record, from a file as from bytes.
TEST_F(ProgramTrailer, NoTrailerOrADamagedOneReadsAsTheEmptyRecord) {
    const SettingsRecord record = varied_record();
    const std::size_t L = 64, N = record.Contents().size(), end = L + N + 11;
    const Bytes valid = create(Bytes(L, 0), record);
    ASSERT_EQ(read_trailer(MemoryBytes(valid)), record);
    const std::function<void(Bytes&)> damages[] = {
        [](Bytes& p) { p.clear(); },
        [](Bytes& p) { p.resize(3); },
        [&](Bytes& p) { put16(p, L - 1, 0x2008); },         // another type word
        [&](Bytes& p) { put16(p, L + 1, 2); },              // two dimensions
        [&](Bytes& p) { put32(p, L + 3, 0xFFFFFFFF); },     // a negative element count
        [&](Bytes& p) { put32(p, L + 3, 0x7FFFFFFF); },     // a huge one
        [&](Bytes& p) { put32(p, end, 0); },                // begin position 0, as in the bare template
        [&](Bytes& p) { put32(p, end, p.size() + 1); },     // past the end
        [&](Bytes& p) { put32(p, end, end + 1); },          // at the begin position itself
        [&](Bytes& p) { put32(p, end, L + 1); },            // one byte late
    };
    for (const auto& damage : damages) {
        Bytes p = valid;
        damage(p);
        EXPECT_TRUE(read_trailer(MemoryBytes(p)).empty()) << "damage " << &damage - damages;
    }
    for (const auto& path : {test::template_path(), dir_ / "missing", dir_.path()}) EXPECT_TRUE(read_trailer(path).empty());
}

}  // namespace
}  // namespace kelvane
