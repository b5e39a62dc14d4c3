// The program trailer: the settings record appended to a copy of the template.
//
//   offset L-1  type word 0x2011 (overwrites the template's last byte)
//          L+1  dimension count 1
//          L+3  element count N (signed 32-bit)
//          L+7  lower bound 0
//          L+11 N record bytes
//        L+N+11 BeginPos = L (signed 32-bit, 1-based position of the block)
// All integers little-endian; a created program is L + N + 15 bytes long.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <system_error>

#include "common/settings_record.h"

namespace kelvane {

// Random access to the bytes of a program file.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Fills out from offset; false when the bytes are not all there.
    virtual bool read_at(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
};

class MemoryBytes : public ByteSource {
public:
    explicit MemoryBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool read_at(std::uint64_t offset, std::span<std::uint8_t> out) const override;

private:
    std::span<const std::uint8_t> bytes_;
};

// Appends the trailer to the open file descriptor, which holds exactly the template.
std::error_code append_trailer(int fd, const SettingsRecord& record);

// The record carried by the program's trailer, or the empty record when there is no
// usable trailer. Nothing read is trusted: every length and position is checked
// against the size before anything is sought, allocated or read.
SettingsRecord read_trailer(const ByteSource& program);
SettingsRecord read_trailer(const std::filesystem::path& program);

}  // namespace kelvane
