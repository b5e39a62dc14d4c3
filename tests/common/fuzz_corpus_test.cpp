// The fuzz corpus replayed in the ordinary build: every input, read as a whole program
// file and as record bytes of its own, gives records that survive a round trip.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/program_trailer.h"
#include "common/settings_record.h"
#include "tests/support/created_program.h"

namespace kelvane {
namespace {

void expect_round_trip(const SettingsRecord& record) {
    SettingsRecord again;
    EXPECT_TRUE(again.SetContents(record.Contents()));
    EXPECT_EQ(again, record);
}

TEST(FuzzCorpus, EveryInputRestoresToRecordsThatRoundTrip) {
    int inputs = 0, from_trailer = 0;  // from_trailer: inputs whose trailer held a record
    for (const auto& entry : std::filesystem::directory_iterator(KELVANE_FUZZ_CORPUS)) {
        SCOPED_TRACE(entry.path().filename().string());
        const std::string text = test::read_all(entry.path());
        const std::vector<std::uint8_t> bytes(text.begin(), text.end());
        ++inputs;
        const SettingsRecord restored = read_trailer(MemoryBytes{bytes});
        from_trailer += !restored.empty();
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
    EXPECT_GT(inputs, 0) << "no inputs in " << KELVANE_FUZZ_CORPUS;
    EXPECT_GT(from_trailer, 0) << "no input carries a usable trailer";
}

}  // namespace
}  // namespace kelvane
