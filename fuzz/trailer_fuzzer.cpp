// Fuzz target: arbitrary bytes read as a whole program file, and as a serialised
// settings record on their own. Whatever restores must survive a round trip.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/program_trailer.h"
#include "common/settings_record.h"

namespace {

// A restored record serialises to bytes that restore to an equal record.
void check_round_trip(const kelvane::SettingsRecord& record) {
    const std::vector<std::uint8_t> contents = record.Contents();
    kelvane::SettingsRecord again;
    if (!again.SetContents(contents) || again != record) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);

    // As a program file: a usable trailer gives its record, anything else the empty one.
    check_round_trip(kelvane::read_trailer(kelvane::MemoryBytes{bytes}));

    // As record bytes. Restoring is all or nothing, so start from a record that is
    // not empty to see that a failure really clears it.
    kelvane::SettingsRecord record;
    record.WriteProperty("Caption", std::string("before"));
    if (!record.SetContents(bytes)) {
        if (!record.empty()) __builtin_trap();
        return 0;
    }
    // The format has one spelling per record, so it serialises back to the very bytes.
    const std::vector<std::uint8_t> contents = record.Contents();
    if (!std::equal(contents.begin(), contents.end(), bytes.begin(), bytes.end())) __builtin_trap();
    check_round_trip(record);
    return 0;
}
