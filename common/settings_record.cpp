#include "common/settings_record.h"

#include <algorithm>
#include <optional>

namespace kelvane {

// Byte format (little-endian):
//   record := count:u16 entry{count}
//   entry  := key_length:u8 key:bytes kind:u8 payload
//   kind 0 empty   : nothing
//   kind 1 string  : length:u32 UTF-8 bytes
//   kind 2 int16   : 2 bytes
//   kind 3 picture : length:u32 image file bytes
// Restoring checks every length against what is left and allows no trailing bytes,
// no duplicate or empty keys and no invalid UTF-8.
namespace {

enum Kind : std::uint8_t { kEmpty = 0, kString = 1, kInt16 = 2, kPicture = 3 };

constexpr std::size_t kMaxEntries = 0xFFFF;
constexpr std::size_t kMaxKeyLength = 0xFF;

class Writer {
public:
    void u8(std::uint8_t v) { out.push_back(v); }
    void u16(std::uint16_t v) { u8(v & 0xFF); u8(v >> 8); }
    void u32(std::uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); }
    void bytes(std::span<const std::uint8_t> b) { out.insert(out.end(), b.begin(), b.end()); }
    void sized(std::span<const std::uint8_t> b) { u32(static_cast<std::uint32_t>(b.size())); bytes(b); }
    std::vector<std::uint8_t> out;
};

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> in) : in_(in) {}
    bool done() const { return pos_ == in_.size(); }
    std::optional<std::uint8_t> u8() {
        if (pos_ >= in_.size()) return std::nullopt;
        return in_[pos_++];
    }
    std::optional<std::uint16_t> u16() {
        auto lo = u8(), hi = u8();
        if (!lo || !hi) return std::nullopt;
        return static_cast<std::uint16_t>(*lo | (*hi << 8));
    }
    std::optional<std::uint32_t> u32() {
        auto lo = u16(), hi = u16();
        if (!lo || !hi) return std::nullopt;
        return static_cast<std::uint32_t>(*lo) | (static_cast<std::uint32_t>(*hi) << 16);
    }
    std::optional<std::span<const std::uint8_t>> bytes(std::size_t n) {
        if (n > in_.size() - pos_) return std::nullopt;
        auto b = in_.subspan(pos_, n);
        pos_ += n;
        return b;
    }
    std::optional<std::span<const std::uint8_t>> sized() {
        auto n = u32();
        if (!n) return std::nullopt;
        return bytes(*n);
    }

private:
    std::span<const std::uint8_t> in_;
    std::size_t pos_ = 0;
};

bool valid_utf8(std::span<const std::uint8_t> s) {
    std::size_t i = 0;
    while (i < s.size()) {
        std::uint8_t c = s[i];
        std::size_t n;
        std::uint32_t cp;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { n = 1; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { n = 2; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { n = 3; cp = c & 0x07; }
        else return false;
        if (n > s.size() - i - 1) return false;
        for (std::size_t k = 1; k <= n; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n + 1;
    }
    return true;
}

std::span<const std::uint8_t> as_bytes(std::string_view s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::string as_string(std::span<const std::uint8_t> b) {
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

std::optional<std::vector<std::pair<std::string, Value>>> parse(std::span<const std::uint8_t> in) {
    Reader r(in);
    auto count = r.u16();
    if (!count) return std::nullopt;
    std::vector<std::pair<std::string, Value>> entries;
    entries.reserve(*count);
    for (std::size_t i = 0; i < *count; ++i) {
        auto key_length = r.u8();
        if (!key_length || *key_length == 0) return std::nullopt;
        auto key = r.bytes(*key_length);
        if (!key || !valid_utf8(*key)) return std::nullopt;
        std::string name = as_string(*key);
        if (std::any_of(entries.begin(), entries.end(), [&](auto& e) { return e.first == name; }))
            return std::nullopt;
        auto kind = r.u8();
        if (!kind) return std::nullopt;
        Value value;
        switch (*kind) {
        case kEmpty:
            break;
        case kString: {
            auto text = r.sized();
            if (!text || !valid_utf8(*text)) return std::nullopt;
            value = as_string(*text);
            break;
        }
        case kInt16: {
            auto v = r.u16();
            if (!v) return std::nullopt;
            value = static_cast<std::int16_t>(*v);
            break;
        }
        case kPicture: {
            auto bytes = r.sized();
            if (!bytes) return std::nullopt;
            value = Picture{{bytes->begin(), bytes->end()}};
            break;
        }
        default:
            return std::nullopt;
        }
        entries.emplace_back(std::move(name), std::move(value));
    }
    if (!r.done()) return std::nullopt;
    return entries;
}

}  // namespace

void SettingsRecord::WriteProperty(std::string_view key, Value value) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](auto& e) { return e.first == key; });
    if (it != entries_.end())
        it->second = std::move(value);
    else
        entries_.emplace_back(std::string(key), std::move(value));
}

const Value& SettingsRecord::ReadProperty(std::string_view key) const {
    static const Value kNone;
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](auto& e) { return e.first == key; });
    return it != entries_.end() ? it->second : kNone;
}

std::vector<std::uint8_t> SettingsRecord::Contents() const {
    Writer w;
    w.u16(static_cast<std::uint16_t>(std::min(entries_.size(), kMaxEntries)));
    std::size_t written = 0;
    for (const auto& [key, value] : entries_) {
        if (written++ == kMaxEntries) break;
        w.u8(static_cast<std::uint8_t>(std::min(key.size(), kMaxKeyLength)));
        w.bytes(as_bytes(std::string_view(key).substr(0, kMaxKeyLength)));
        std::visit(
            [&](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::monostate>) {
                    w.u8(kEmpty);
                } else if constexpr (std::is_same_v<T, std::string>) {
                    w.u8(kString);
                    w.sized(as_bytes(v));
                } else if constexpr (std::is_same_v<T, std::int16_t>) {
                    w.u8(kInt16);
                    w.u16(static_cast<std::uint16_t>(v));
                } else {
                    w.u8(kPicture);
                    w.sized(v.bytes);
                }
            },
            value);
    }
    return std::move(w.out);
}

bool SettingsRecord::SetContents(std::span<const std::uint8_t> bytes) {
    auto parsed = parse(bytes);
    if (!parsed) {
        entries_.clear();
        return false;
    }
    entries_ = std::move(*parsed);
    return true;
}

}  // namespace kelvane
