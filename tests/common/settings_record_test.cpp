#include "common/settings_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
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
    const std::pair<const char*, Bytes> cases[] = {
        {"half a count", {0x01}},
        {"duplicate key", RecordBytes(2).text("a", "x").text("a", "y").bytes},
        {"zero-length key", RecordBytes(1).u8(0).u8(0).bytes},
        {"unknown kind 4", RecordBytes(1).key("a").u8(4).bytes},
        {"key running past the end", RecordBytes(1).u8(5).raw("ab").bytes},
        {"text running past the end", RecordBytes(1).key("a").u8(1).u32(10).raw("abc").bytes},
        {"picture length 0xFFFFFFFF", RecordBytes(1).key("p").u8(3).u32(0xFFFFFFFF).raw("abc").bytes},
        {"half an int16", RecordBytes(1).key("v").u8(2).u8(7).bytes},
        {"fewer entries than counted", RecordBytes(2).text("a", "x").bytes},
        {"trailing byte", RecordBytes(1).text("a", "x").u8(0).bytes},
        {"lone lead byte in text", RecordBytes(1).text("a", "ok\xC3").bytes},
        {"overlong encoding in text", RecordBytes(1).text("a", "\xC0\xAF").bytes},
        {"surrogate in text", RecordBytes(1).text("a", "\xED\xA0\x80").bytes},
        {"beyond U+10FFFF in text", RecordBytes(1).text("a", "\xF4\x90\x80\x80").bytes},
        {"invalid UTF-8 in a key", RecordBytes(1).key("\xFF").u8(0).bytes},
        {"valid entry then a bad one", RecordBytes(2).text("a", "x").key("b").u8(9).bytes},
    };
    for (const auto& [name, bytes] : cases) {
        SettingsRecord r = varied_record();
        EXPECT_FALSE(r.SetContents(bytes)) << name;
        EXPECT_TRUE(r.empty()) << name;
    }
}

}  // namespace
}  // namespace kelvane
