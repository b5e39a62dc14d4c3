// The song preview: a message, then the address plays for 179 ticks of the preview timer.
#include "maker/dialogs/start_menu.h"
#include "maker/mainwindow/main_window.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/media_files.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

class SongPreview : public MakerFixture {
protected:
    SongPreview() {
        write_wav(folder / "song.wav", 60);
        main().Text8.set_text((folder / "song.wav").string());
    }
    MainWindow& main() { return forms.Form1(); }
    void tick(int times) {
        for (int i = 0; i < times; ++i) main().Timer3_Timer();
    }
};

TEST_F(SongPreview, PlaysForAHundredAndSeventyNineTicks) {
    main().Check1.clicked();
    EXPECT_TRUE(main().Check1.get_active()) << "the switch itself changed";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, MainWindow::kSongPreviewMessage);
    EXPECT_EQ(messages[0].title, "Kelvane");
    EXPECT_EQ(main().Text9, "1");
    EXPECT_TRUE(main().Timer3.Enabled());
    // The test ticks by hand from here: the real timer would go on ticking while the
    // song starts, which takes as long as the machine makes it.
    main().Timer3.set_Enabled(false);
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

TEST_F(SongPreview, AClickDuringAPreviewStartsItAgain) {
    main().Check1.clicked();
    tick(50);
    main().Check1.clicked();  // unchecking previews too
    EXPECT_FALSE(main().Check1.get_active());
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(main().Text9, "1");
    EXPECT_TRUE(main().Timer3.Enabled());
}

TEST_F(SongPreview, EmptyAddressPlaysNothingButStillRunsItsTicks) {
    main().Text8.set_text("");
    main().Check1.clicked();
    EXPECT_TRUE(main().Timer3.Enabled());
    pump_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(main().WindowsMediaPlayer1.playing());
    tick(179);
    EXPECT_FALSE(main().Timer3.Enabled());
}

TEST_F(SongPreview, DialUpMakesEachTickLonger) {
    forms.frmSplash().Check2.clicked();
    EXPECT_EQ(main().Timer3.Interval(), 130u);
    forms.frmSplash().Check1.clicked();
    EXPECT_EQ(main().Timer3.Interval(), 100u);
}

TEST_F(SongPreview, TheRealTimerEndsIt) {
    main().Timer3.set_Interval(2);  // the real timer, only faster than any option sets it
    main().Check1.clicked();
    ASSERT_TRUE(pump_until([&] { return !main().Timer3.Enabled(); }, std::chrono::seconds(10)));
    EXPECT_EQ(main().Text9, "180");
    EXPECT_EQ(main().WindowsMediaPlayer1.URL(), "");
}

}  // namespace
}  // namespace kelvane::test
