// Volume normalisation as the player picks it: the server's gains first, then the file's own
// tags, a fixed pre-gain for songs with neither, and the peak keeping the result from clipping.
#include "player_fixture.h"

#include "app/core/store.h"

#include <cmath>
#include <cstdlib>
#include <optional>

namespace {

using namespace player_testing;
using std::nullopt;

double linear(double db) { return std::pow(10.0, db / 20); }

class ThreadedPlayerGain : public PlayerTest {};

TEST_F(ThreadedPlayerGain, ServerGainsThenTagsThenPreGainAndThePeakPreventsClipping)
{
    // Half a second of tone carrying its own loudness tags, and one without.
    const std::string media = home.path() + "/media/";
    const std::string make = "ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=0.5 -c:a flac ";
    ASSERT_EQ(std::system((make + "-metadata REPLAYGAIN_TRACK_GAIN='-7.5 dB' -metadata REPLAYGAIN_TRACK_PEAK=0.9 "
                                  "-metadata REPLAYGAIN_ALBUM_GAIN='-8 dB' '" + media + "tagged.flac'").c_str()), 0);
    ASSERT_EQ(std::system((make + "'" + media + "plain.flac'").c_str()), 0);

    const cad::ReplayGain none{};
    const cad::ReplayGain loud{.trackGain = 6.0, .albumGain = nullopt, .trackPeak = 0.8, .albumPeak = nullopt};
    const cad::ReplayGain quiet{.trackGain = -3.0, .albumGain = -4.0, .trackPeak = 0.5, .albumPeak = 0.6};
    struct Case {
        const char* file;
        cad::ReplayGain server;
        int mode;
        double expected;
    } cases[] = {
        {"tagged", quiet, cad::NormaliseTrack, linear(-3)},   // the server's gain wins over the tags
        {"tagged", quiet, cad::NormaliseAlbum, linear(-4)},
        {"tagged", none, cad::NormaliseTrack, linear(-7.5)},  // else the file's tags
        {"tagged", none, cad::NormaliseAlbum, linear(-8)},
        {"plain", none, cad::NormaliseTrack, linear(-6)},     // neither: the pre-gain
        {"plain", none, cad::NormaliseAlbum, linear(-6)},
        {"plain", loud, cad::NormaliseTrack, 1 / 0.8},        // +6 dB would clip: the peak caps it
        {"plain", loud, cad::NormaliseAlbum, 1 / 0.8},        // no album gain: the track's
        {"tagged", quiet, cad::NormaliseOff, 1.0},
    };
    int n = 0;
    for (const Case& c : cases) {
        store.normalisation = c.mode;
        cad::Song s = song("g" + std::to_string(n++), "", 1, "flac");
        s.replayGain = c.server;
        store.addOffline(s, media + c.file + ".flac");
        player->setQueue({s}, 0);
        ASSERT_TRUE(playing());
        frame(); // the file's tags are known once it plays
        EXPECT_NEAR(music.normalisationGain(), c.expected, 1e-6) << c.file << " mode " << c.mode << " case " << n;
        player->stop();
    }
}

} // namespace
