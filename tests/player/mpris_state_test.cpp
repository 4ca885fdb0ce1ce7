#include "app/player/mpris_state.h"

#include "player/player_fixture.h"

#include <gtest/gtest.h>

#include <regex>

using namespace player_testing;
using cad::MprisState;

namespace {

// The D-Bus rule for object paths.
bool validObjectPath(const std::string& path)
{
    static const std::regex rule("/|(/[A-Za-z0-9_]+)+");
    return std::regex_match(path, rule);
}

} // namespace

TEST(MprisMapping, AnySongIdGivesAValidDistinctObjectPath)
{
    const struct {
        std::string id;
        std::string path;
    } cases[] = {
        { "tr-1", "/org/sonaria/track/tr_2D1" },
        { "../x y", "/org/sonaria/track/_2E_2E_2Fx_20y" },
        { "", "/org/sonaria/track/_" },
        { "_", "/org/sonaria/track/_5F" },
        { "\xC3\xBC/", "/org/sonaria/track/_C3_BC_2F" },
        { std::string("a\0b", 3), "/org/sonaria/track/a_00b" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cad::mprisTrackPath(c.id), c.path);
        EXPECT_TRUE(validObjectPath(cad::mprisTrackPath(c.id))) << c.path;
    }
    EXPECT_NE(cad::mprisTrackPath("a-"), cad::mprisTrackPath("a_2D"));
    EXPECT_EQ(cad::fileUrl("/data/my covers/a_1#%.jpg"), "file:///data/my%20covers/a_1%23%25.jpg");
}

TEST(MprisMapping, LoopStatusNamesRoundTripAndUnknownNamesAreRefused)
{
    for (int repeat : { cad::Off, cad::All, cad::One }) {
        int back = -1;
        ASSERT_TRUE(cad::repeatFromLoopStatus(cad::loopStatusName(repeat), back));
        EXPECT_EQ(back, repeat);
    }
    EXPECT_STREQ(cad::loopStatusName(cad::One), "Track");
    EXPECT_STREQ(cad::loopStatusName(cad::All), "Playlist");
    int unchanged = cad::All;
    EXPECT_FALSE(cad::repeatFromLoopStatus("track", unchanged));
    EXPECT_EQ(unchanged, cad::All);
}

TEST(MprisMapping, ChangedPropertiesAndSeekDetection)
{
    MprisState before;
    before.metadata.hasTrack = true;
    before.metadata.trackId = "/org/sonaria/track/a";
    before.playbackStatus = "Playing";
    before.positionUs = 10'000'000;
    MprisState after = before;
    after.positionUs = 10'500'000;
    EXPECT_TRUE(cad::changedProperties(before, after).empty()) << "the position alone is never announced";
    EXPECT_FALSE(cad::positionJumped(before, after, 0.5));
    EXPECT_TRUE(cad::positionJumped(before, after, 3.0)) << "behind the clock";
    after.positionUs = 60'000'000;
    EXPECT_TRUE(cad::positionJumped(before, after, 0.5));
    before.playbackStatus = "Paused";
    after.positionUs = before.positionUs;
    EXPECT_FALSE(cad::positionJumped(before, after, 30.0)) << "paused: time passes, the position stays";
    after.metadata.trackId = "/org/sonaria/track/b";
    after.positionUs = 0;
    EXPECT_FALSE(cad::positionJumped(before, after, 0.1)) << "another track is not a seek";

    after = before;
    after.playbackStatus = "Playing";
    after.loopStatus = "Track";
    after.shuffle = true;
    after.volume = 0.5;
    after.metadata.title = "New";
    after.canGoNext = after.canGoPrevious = after.canPlay = after.canPause = after.canSeek = true;
    const std::vector<std::string> all { "PlaybackStatus", "LoopStatus", "Shuffle", "Volume", "Metadata",
                                         "CanGoNext", "CanGoPrevious", "CanPlay", "CanPause", "CanSeek" };
    EXPECT_EQ(cad::changedProperties(before, after), all);
}

TEST_F(PlayerTest, MprisStateFollowsThePlayer)
{
    MprisState idle = cad::mprisState(*player, nullptr);
    EXPECT_EQ(idle.playbackStatus, "Stopped");
    EXPECT_FALSE(idle.metadata.hasTrack);
    EXPECT_EQ(idle.metadata.trackId, "/org/mpris/MediaPlayer2/TrackList/NoTrack");
    EXPECT_FALSE(idle.canPlay || idle.canGoNext || idle.canSeek);

    std::vector<cad::Song> songs = downloadedSongs(2, 4.0);
    songs[0].artist = "Band";
    songs[0].album = "Record";
    songs[0].coverArt = "al-1";
    player->setQueue(songs, 0);
    ASSERT_TRUE(playing());
    const auto cover = [this](const cad::Song& s) { return s.coverArt.empty() ? "" : home.path() + "/c " + s.coverArt; };
    MprisState state = cad::mprisState(*player, cover);
    EXPECT_EQ(state.playbackStatus, "Playing");
    EXPECT_EQ(state.metadata.trackId, cad::mprisTrackPath("s0"));
    EXPECT_EQ(state.metadata.title, "Song s0");
    EXPECT_EQ(state.metadata.artists, std::vector<std::string> { "Band" });
    EXPECT_EQ(state.metadata.album, "Record");
    EXPECT_NEAR(double(state.metadata.lengthUs), 4e6, 1e5);
    EXPECT_EQ(state.metadata.artUrl, cad::fileUrl(home.path() + "/c al-1"));
    EXPECT_TRUE(state.canSeek && state.canGoNext && state.canPause);

    player->togglePause();
    player->cycleRepeat();
    player->setShuffle(true);
    state = cad::mprisState(*player, cover);
    EXPECT_EQ(state.playbackStatus, "Paused");
    EXPECT_EQ(state.loopStatus, "Playlist");
    EXPECT_TRUE(state.shuffle);

    // Stop forgets the position; the next toggle plays the same song from its start.
    player->stop();
    state = cad::mprisState(*player, cover);
    EXPECT_EQ(state.playbackStatus, "Stopped");
    EXPECT_FALSE(state.canSeek);
    EXPECT_EQ(state.metadata.trackId, cad::mprisTrackPath("s0"));
    player->togglePause();
    ASSERT_TRUE(playing());
    EXPECT_EQ(player->current()->id, "s0");
}
