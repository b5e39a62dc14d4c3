// The song preview: a message, then the address plays for 179 ticks of the preview timer.
#include "tests/maker/maker_fixture.h"
#include "tests/support/media_files.h"

namespace kelvane::test {
namespace {

class SongPreview : public MakerFixture {
protected:
    SongPreview() {
        write_wav(folder / "song.wav", 60);
        main().Text8.set_text((folder / "song.wav").string());
    }
    void tick(int times) {
        for (int i = 0; i < times; ++i) main().Timer3_Timer();
    }
};

// Checking or unchecking, a click plays the song from the start of a new preview.
TEST_F(SongPreview, EachClickPlaysForAHundredAndSeventyNineTicks) {
    for (bool checked : {true, false}) {
        main().Check1.clicked();
        EXPECT_EQ(main().Check1.get_active(), checked) << "the switch itself changed";
        EXPECT_EQ(messages.back().text,
                  "Your Created program will now play the song / radio stream u inputted you will now hear a preview of "
                  "ur song if u dont hear anything after several seconds please make sure the url is correct the song "
                  "will stop playing by its self after a few seconds");
        EXPECT_EQ(messages.back().title, "Kelvane");
        EXPECT_EQ(main().Text9, "1");
        EXPECT_TRUE(main().Timer3.Enabled());
        // Ticked by hand from here: the real timer would go on ticking while GStreamer starts.
        main().Timer3.set_Enabled(false);
        if (checked) tick(50);
    }
    EXPECT_EQ(messages.size(), 2u);
    ASSERT_TRUE(pump_until([&] { return main().WindowsMediaPlayer1.playing(); }));
    EXPECT_FALSE(main().WindowsMediaPlayer1.get_visible());
    tick(178);
    EXPECT_EQ(main().Text9, "179");
    EXPECT_EQ(main().WindowsMediaPlayer1.URL(), main().Text8.get_text());
    tick(1);
    EXPECT_EQ(main().Text9, "180");
    EXPECT_EQ(main().WindowsMediaPlayer1.URL(), "");
    EXPECT_FALSE(main().WindowsMediaPlayer1.playing());
}

TEST_F(SongPreview, EmptyAddressPlaysNothingButStillRunsItsTicks) {
    // The real timer stays switched on, as the preview left it, but never ticks within the
    // test: the ticks below are all by hand.
    main().Timer3.set_Interval(24 * 3600 * 1000);
    main().Text8.set_text("");
    main().Check1.clicked();
    drain();
    EXPECT_FALSE(main().WindowsMediaPlayer1.playing());
    EXPECT_EQ(main().WindowsMediaPlayer1.URL(), "");
    tick(178);
    EXPECT_TRUE(main().Timer3.Enabled());
    tick(1);
    EXPECT_FALSE(main().Timer3.Enabled());
}

TEST_F(SongPreview, TheRealTimerEndsIt) {
    main().Timer3.set_Interval(2);  // the real timer, only faster than any option sets it
    main().Check1.clicked();
    ASSERT_TRUE(pump_until([&] { return !main().Timer3.Enabled(); }));
    EXPECT_EQ(main().Text9, "180");
    EXPECT_EQ(main().WindowsMediaPlayer1.URL(), "");
}

}  // namespace
}  // namespace kelvane::test
