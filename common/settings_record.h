// The settings record: every value the user chose in the maker, under a fixed key.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace kelvane {

// A picture travels as the bytes of the image file the user chose, so the created
// program gets exactly that image back. No bytes means no picture was chosen.
struct Picture {
    std::vector<std::uint8_t> bytes;
    bool empty() const { return bytes.empty(); }
    bool operator==(const Picture&) const = default;
};

// Empty (the record lacks the key), string, 16-bit integer or picture.
using Value = std::variant<std::monostate, std::string, std::int16_t, Picture>;

class SettingsRecord {
public:
    // Stores a value under a key, replacing an earlier one with the same key.
    void WriteProperty(std::string_view key, Value value);
    // The value under the key, or the empty value when the record lacks it.
    const Value& ReadProperty(std::string_view key) const;

    // Serialises the whole record.
    std::vector<std::uint8_t> Contents() const;
    // Replaces the record with the serialised one. All or nothing: bytes that do not
    // restore cleanly leave the record empty and return false.
    bool SetContents(std::span<const std::uint8_t> bytes);

    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    bool operator==(const SettingsRecord&) const = default;

private:
    std::vector<std::pair<std::string, Value>> entries_;  // in writing order
};

}  // namespace kelvane
