// The settings record, the conversions of its values, and the program trailer that carries
// it at the end of a created program.
#include "common/settings_record.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "common/conversions.h"
#include "common/program_trailer.h"
#include "tests/support/created_program.h"

namespace kelvane {
namespace {

using Byte = std::uint8_t;
using Bytes = std::vector<Byte>;
using namespace std::string_literals;
using std::nullopt;

// Serialised records written by hand in the stored format, so that SetContents can be
// fed bytes the writer never produces.
struct RecordBytes {
    explicit RecordBytes(std::uint16_t count) { u16(count); }
    RecordBytes& u8(std::uint8_t v) { bytes.push_back(v); return *this; }
    RecordBytes& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
    RecordBytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    RecordBytes& raw(std::string_view s) { bytes.insert(bytes.end(), s.begin(), s.end()); return *this; }
    RecordBytes& key(std::string_view k) { return u8(static_cast<std::uint8_t>(k.size())).raw(k); }
    RecordBytes& text(std::string_view k, std::string_view s) { return key(k).u8(1).u32(std::uint32_t(s.size())).raw(s); }
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
        // Half a count; a key twice; an empty key; an unknown kind; half an int16.
        {0x01}, RecordBytes(2).text("a", "x").text("a", "y").bytes, RecordBytes(1).u8(0).u8(0).bytes,
        RecordBytes(1).key("a").u8(4).bytes, RecordBytes(1).key("v").u8(2).u8(7).bytes,
        // Fewer entries than counted; text running past the end; a picture of 4 GiB.
        RecordBytes(2).text("a", "x").bytes, RecordBytes(1).key("a").u8(1).u32(10).raw("abc").bytes,
        RecordBytes(1).key("p").u8(3).u32(0xFFFFFFFF).raw("abc").bytes,
        // A byte after the last entry; a valid entry, then a bad one; a key that is not UTF-8.
        RecordBytes(1).text("a", "x").u8(0).bytes, RecordBytes(2).text("a", "x").key("b").u8(9).bytes,
        RecordBytes(1).key("\xFF").u8(0).bytes};
    // Text that is not UTF-8: a cut sequence, an overlong one, a surrogate, beyond U+10FFFF.
    for (const char* text : {"ok\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
        cases.push_back(RecordBytes(1).text("a", text).bytes);
    for (const Bytes& bytes : cases) {
        SettingsRecord r = varied_record();
        EXPECT_TRUE(!r.SetContents(bytes) && r.empty()) << testing::PrintToString(bytes);
    }
}

TEST(ParseNumber, DecimalNumbersWithBlanksSignsAndExponentsAndNothingElse) {
    const std::pair<const char*, std::optional<double>> cases[] = {
        {" 12\t", 12},     {"+3", 3},          {"-4.5", -4.5},     {".5", 0.5},        {"5.", 5},
        {"1E-2", 0.01},    {"2e+2", 200},      {"", nullopt},      {" ", nullopt},     {"12abc", nullopt},
        {"1 2", nullopt},  {"+-1", nullopt},   {".", nullopt},     {"1e+", nullopt},   {"1.2.3", nullopt},
        {"inf", nullopt},  {"0x10", nullopt},  {"1,5", nullopt},   {"1e999", nullopt}};
    for (const auto& [text, number] : cases) EXPECT_EQ(parse_number(text), number) << '"' << text << '"';
}

// Each stored value through each conversion; nullopt where the step fails. Whole numbers
// take the nearest, a half the even one; each fails outside its own range.
TEST(Conversions, RoundHalfToEvenAndFailOutsideTheirRange) {
    const std::tuple<Value, std::optional<std::string>, std::optional<std::int32_t>, std::optional<float>,
                     std::optional<std::int16_t>> cases[] = {
        {Value{}, ""s, 0, 0.0f, 0} /* a key the record lacks */,      {"2.5"s, "2.5"s, 2, 2.5f, 2},
        {"-3.5"s, "-3.5"s, -4, -3.5f, -4},                              {"1.6"s, "1.6"s, 2, 1.6f, 2},
        {"32767.4"s, "32767.4"s, 32767, 32767.4f, 32767},               {"-32768.6"s, "-32768.6"s, -32769, -32768.6f, nullopt},
        {"2147483648"s, "2147483648"s, nullopt, 2147483648.0f, nullopt}, {"-1e39"s, "-1e39"s, nullopt, nullopt, nullopt},
        {" kept as is "s, " kept as is "s, nullopt, nullopt, nullopt},  {std::int16_t{-32768}, "-32768"s, -32768, -32768.0f, -32768},
        {Picture{{0x89, 'P', 'N', 'G'}}, nullopt, nullopt, nullopt, nullopt}};
    for (const auto& [value, text, colour, number, code] : cases)
        EXPECT_EQ(std::tuple(to_text(value), to_colour(value), to_number(value), to_code(value)),
                  std::tuple(text, colour, number, code));
}

// A locale whose decimal separator is the comma, compiled for the test from the system's
// locale sources, so it does not depend on which locales the machine has generated.
TEST(LocaleSeparator, CommaLocaleAcceptsItsSeparatorAndThePoint) {
    test::TempDir locales;
    const std::string command = "localedef -i de_DE -f UTF-8 '" + (locales / "de_DE.UTF-8").string() + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << "localedef and the locale sources are installed";
    setenv("LOCPATH", locales.path().c_str(), 1);
    ASSERT_TRUE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"));
    for (const auto& [text, number] : {std::pair<const char*, std::optional<double>>{"1,5", 1.5}, {" 1.5", 1.5},
                                       {"-4642,5", -4642.5}, {"1,5,0", nullopt}, {"1.5,0", nullopt}})
        EXPECT_EQ(parse_number(text), number) << text;
    EXPECT_EQ(to_code("2,5"s), 2);
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
}

void put16(Bytes& b, std::size_t at, std::uint32_t v) { b[at] = v & 0xFF; b[at + 1] = (v >> 8) & 0xFF; }
void put32(Bytes& b, std::size_t at, std::uint32_t v) { put16(b, at, v); put16(b, at + 2, v >> 16); }

class ProgramTrailer : public ::testing::Test {
protected:
    // The template written to a file with the trailer appended through a descriptor opened
    // with `flags`: the program's bytes.
    Bytes create(const Bytes& template_file, const SettingsRecord& record, int flags = O_RDWR) {
        std::ofstream(program, std::ios::binary)
            .write(reinterpret_cast<const char*>(template_file.data()), static_cast<std::streamsize>(template_file.size()));
        const int fd = ::open(program.c_str(), flags | O_CLOEXEC);
        error = append_trailer(fd, record);
        ::close(fd);
        const std::string text = test::read_all(program);
        return {text.begin(), text.end()};
    }

    test::TempDir dir_;
    const std::filesystem::path program = dir_ / "program";
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
        EXPECT_EQ(read_trailer(program), record);
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
        [](Bytes& p) { p.clear(); }, [](Bytes& p) { p.resize(3); },
        // Another type word, two dimensions, a negative element count, a huge one.
        [&](Bytes& p) { put16(p, L - 1, 0x2008); }, [&](Bytes& p) { put16(p, L + 1, 2); },
        [&](Bytes& p) { put32(p, L + 3, 0xFFFFFFFF); }, [&](Bytes& p) { put32(p, L + 3, 0x7FFFFFFF); },
        // Begin position 0 (as in the bare template), past the end, at the begin position
        // itself, one byte late.
        [&](Bytes& p) { put32(p, end, 0); }, [&](Bytes& p) { put32(p, end, p.size() + 1); },
        [&](Bytes& p) { put32(p, end, end + 1); }, [&](Bytes& p) { put32(p, end, L + 1); }};
    for (const auto& damage : damages) {
        Bytes p = valid;
        damage(p);
        EXPECT_TRUE(read_trailer(MemoryBytes(p)).empty()) << "damage " << &damage - damages;
    }
    for (const auto& path : {test::template_path(), dir_ / "missing", dir_.path()}) EXPECT_TRUE(read_trailer(path).empty());
}

}  // namespace
}  // namespace kelvane
