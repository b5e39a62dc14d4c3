// The fuzz corpus replayed in the ordinary build: every input, read as a whole program
// file and as record bytes of its own, gives records that survive a round trip.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/program_trailer.h"
#include "common/settings_record.h"

namespace kelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes read_corpus_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void expect_round_trip(const SettingsRecord& record) {
    SettingsRecord again;
    EXPECT_TRUE(again.SetContents(record.Contents()));
    EXPECT_TRUE(again == record);
}

TEST(FuzzCorpus, EveryInputRestoresToRecordsThatRoundTrip) {
    std::size_t inputs = 0;
    std::size_t from_trailer = 0;  // inputs whose trailer gave a record that is not empty
    for (const auto& entry : std::filesystem::directory_iterator(KELVANE_FUZZ_CORPUS)) {
        if (!entry.is_regular_file()) continue;
        ++inputs;
        SCOPED_TRACE(entry.path().filename().string());
        const Bytes bytes = read_corpus_file(entry.path());

        const SettingsRecord restored = read_trailer(MemoryBytes{bytes});
        if (!restored.empty()) ++from_trailer;
        expect_round_trip(restored);

        // All or nothing: a failure leaves even a record that held values empty.
        SettingsRecord record;
        record.WriteProperty("Caption", std::string("before"));
        if (record.SetContents(bytes)) {
            EXPECT_EQ(record.Contents(), bytes);
            expect_round_trip(record);
        } else {
            EXPECT_TRUE(record.empty());
        }
    }
    EXPECT_GT(inputs, 0u) << "no inputs in " << KELVANE_FUZZ_CORPUS;
    EXPECT_GT(from_trailer, 0u) << "no input carries a usable trailer";
}

}  // namespace
}  // namespace kelvane
