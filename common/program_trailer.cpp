#include "common/program_trailer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

namespace kelvane {
namespace {

constexpr std::uint16_t kTypeWord = 0x2011;  // one-dimensional array of unsigned bytes
constexpr std::size_t kBlockHeader = 12;     // type word, dimensions, count, lower bound
constexpr std::size_t kBeginPosSize = 4;

void put16(std::uint8_t* p, std::uint16_t v) { p[0] = v & 0xFF; p[1] = v >> 8; }
void put32(std::uint8_t* p, std::uint32_t v) { put16(p, v & 0xFFFF); put16(p + 2, v >> 16); }
std::uint16_t get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::int32_t get32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(get16(p) | (static_cast<std::uint32_t>(get16(p + 2)) << 16));
}

class FileBytes : public ByteSource {
public:
    explicit FileBytes(const std::filesystem::path& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat st {};
        if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) size_ = static_cast<std::uint64_t>(st.st_size);
    }
    ~FileBytes() override {
        if (fd_ >= 0) ::close(fd_);
    }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::uint64_t size() const override { return size_; }
    bool read_at(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (fd_ < 0 || offset > size_ || out.size() > size_ - offset) return false;
        std::size_t done = 0;
        while (done < out.size()) {
            ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int fd_;
    std::uint64_t size_ = 0;
};

std::error_code write_all(int fd, std::span<const std::uint8_t> bytes, off_t offset) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {errno, std::generic_category()};
        if (n == 0) return std::make_error_code(std::errc::io_error);
        done += static_cast<std::size_t>(n);
    }
    return {};
}

}  // namespace

bool MemoryBytes::read_at(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (offset > bytes_.size() || out.size() > bytes_.size() - offset) return false;
    // An empty span may have no storage at all, and memcpy takes no null pointers.
    if (!out.empty()) std::memcpy(out.data(), bytes_.data() + offset, out.size());
    return true;
}

std::error_code append_trailer(int fd, const SettingsRecord& record) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return {errno, std::generic_category()};
    const auto length = static_cast<std::uint64_t>(st.st_size);
    const std::vector<std::uint8_t> contents = record.Contents();
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    // The block starts on the template's last byte, so there has to be one, and both
    // the begin position and the count must fit their signed 32-bit fields.
    if (length == 0) return std::make_error_code(std::errc::invalid_argument);
    if (length > kMax || contents.size() > kMax) return std::make_error_code(std::errc::file_too_large);

    std::vector<std::uint8_t> trailer(kBlockHeader + contents.size() + kBeginPosSize);
    put16(&trailer[0], kTypeWord);
    put16(&trailer[2], 1);
    put32(&trailer[4], static_cast<std::uint32_t>(contents.size()));
    put32(&trailer[8], 0);
    std::copy(contents.begin(), contents.end(), trailer.begin() + kBlockHeader);
    put32(&trailer[kBlockHeader + contents.size()], static_cast<std::uint32_t>(length));
    return write_all(fd, trailer, static_cast<off_t>(length - 1));
}

SettingsRecord read_trailer(const ByteSource& program) {
    SettingsRecord record;
    const std::uint64_t size = program.size();
    if (size < kBeginPosSize) return record;

    std::array<std::uint8_t, kBeginPosSize> tail{};
    if (!program.read_at(size - kBeginPosSize, tail)) return record;
    const std::int32_t begin_pos = get32(tail.data());
    // The block and its record bytes must lie before the begin position itself.
    const std::uint64_t end = size - kBeginPosSize;
    if (begin_pos < 1 || static_cast<std::uint64_t>(begin_pos) - 1 > end || end - (begin_pos - 1) < kBlockHeader)
        return record;
    const std::uint64_t block = static_cast<std::uint64_t>(begin_pos) - 1;

    std::array<std::uint8_t, kBlockHeader> header{};
    if (!program.read_at(block, header)) return record;
    const std::int32_t count = get32(&header[4]);
    if (get16(&header[0]) != kTypeWord || get16(&header[2]) != 1 || count < 0 ||
        static_cast<std::uint64_t>(count) > end - block - kBlockHeader)
        return record;

    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    if (!program.read_at(block + kBlockHeader, bytes)) return record;
    record.SetContents(bytes);
    return record;
}

SettingsRecord read_trailer(const std::filesystem::path& program) {
    return read_trailer(FileBytes(program));
}

}  // namespace kelvane
