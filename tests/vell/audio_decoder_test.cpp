// The FFmpeg decoder and the decoding thread on real files made with ffmpeg at test time.
#include "vell/audio_decoder.h"
#include "vell/audio_pipeline.h"
#include "vell/audio_ring.h"
#include "vell/asset_loader.h"
#include "vell/music_player.h"

#include "support/temp_home.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>
#include <thread>

namespace {

using vell::AudioDecoder;

constexpr int kRate = 48000; // not the files' rate: every format goes through the resampler

bool ffmpeg(const std::string& args, const std::string& out)
{
    const std::string command = "ffmpeg -nostdin -v error -y " + args + " '" + out + "'";
    return std::system(command.c_str()) == 0;
}

testing_support::TempDir& dir()
{
    static testing_support::TempDir d;
    return d;
}

// A continuous 3 s tone, the source of every file below.
const std::string& toneWav()
{
    static const std::string path = [] {
        const std::string p = dir().file("tone.wav");
        ffmpeg("-f lavfi -i sine=frequency=440:duration=3:sample_rate=44100 -ac 2", p);
        return p;
    }();
    return path;
}

struct Decoded {
    bool opened = false;
    double duration = 0;
    long frames = 0;
};

Decoded decodeAll(const std::string& path, double seekTo = -1, std::function<bool()> growing = {})
{
    std::atomic<bool> abort{false};
    AudioDecoder d;
    Decoded out;
    out.opened = d.open(path, kRate, 2, std::move(growing), &abort);
    if (!out.opened)
        return out;
    out.duration = d.duration();
    if (seekTo >= 0) {
        EXPECT_TRUE(d.seek(seekTo)) << path;
    }
    while (const int n = d.decode())
        out.frames += n;
    return out;
}

TEST(AudioDecoder, EveryCommonFormatOpensReportsItsDurationAndSeeks)
{
    const struct {
        const char* name;
        const char* args;
    } formats[] = {
        {"a.mp3", "-c:a libmp3lame -b:a 192k"},
        {"a.flac", "-c:a flac -sample_fmt s32 -ar 96000"}, // 24-bit, 96 kHz
        {"a.ogg", "-c:a libvorbis"},
        {"a.opus", "-c:a libopus"},
        {"aac.m4a", "-c:a aac"},
        {"alac.m4a", "-c:a alac"},
        {"a.wv", "-c:a wavpack"},
        {"a.wav", "-c:a pcm_s16le"},
        {"a.aiff", "-c:a pcm_s16be"},
    };
    for (const auto& f : formats) {
        SCOPED_TRACE(f.name);
        const std::string path = dir().file(f.name);
        ASSERT_TRUE(ffmpeg("-i '" + toneWav() + "' " + f.args, path));
        const Decoded whole = decodeAll(path);
        ASSERT_TRUE(whole.opened);
        EXPECT_NEAR(whole.duration, 3.0, 0.05);
        EXPECT_NEAR(double(whole.frames) / kRate, 3.0, 0.05);
        // What follows a seek is exactly the rest of the file.
        const Decoded rest = decodeAll(path, 1.7);
        EXPECT_NEAR(double(rest.frames) / kRate, 1.3, 0.05);
    }
}

TEST(AudioDecoder, DamagedFilesPlayWhatTheyHaveAndJunkNeverOpens)
{
    const std::string mp3 = dir().file("whole.mp3");
    ASSERT_TRUE(ffmpeg("-i '" + toneWav() + "' -c:a libmp3lame -b:a 128k", mp3));
    std::ifstream in(mp3, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});

    const std::string cut = dir().file("cut.mp3");
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    const Decoded truncated = decodeAll(cut);
    ASSERT_TRUE(truncated.opened);
    EXPECT_NEAR(double(truncated.frames) / kRate, 1.5, 0.2);

    std::string spoiled = bytes;
    for (size_t i = spoiled.size() / 2; i < spoiled.size() / 2 + 3000; ++i)
        spoiled[i] = char(i * 7);
    const std::string garbage = dir().file("garbage.mp3");
    std::ofstream(garbage, std::ios::binary) << spoiled;
    const Decoded middle = decodeAll(garbage);
    ASSERT_TRUE(middle.opened);
    EXPECT_GT(double(middle.frames) / kRate, 2.5); // the damaged frames are skipped

    const std::string junk = dir().file("junk.mp3");
    std::ofstream(junk) << "not audio at all\n";
    EXPECT_FALSE(decodeAll(junk).opened);
    EXPECT_FALSE(decodeAll(dir().file("missing.flac")).opened);
}

TEST(AudioDecoder, AGrowingFileIsFollowedToItsEnd)
{
    const std::string flac = dir().file("grow-source.flac");
    ASSERT_TRUE(ffmpeg("-i '" + toneWav() + "' -c:a flac", flac));
    std::ifstream in(flac, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const std::string part = dir().file("grow.flac.part");
    std::ofstream(part, std::ios::binary) << bytes.substr(0, 20000);

    std::atomic<bool> growing{true};
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::ofstream(part, std::ios::binary | std::ios::app) << bytes.substr(20000);
        growing = false;
    });
    const Decoded d = decodeAll(part, -1, [&] { return growing.load(); });
    writer.join();
    ASSERT_TRUE(d.opened);
    EXPECT_NEAR(double(d.frames) / kRate, 3.0, 0.02);
}

TEST(AudioDecoder, LoudnessTagsAreRead)
{
    const std::string flac = dir().file("gain.flac");
    ASSERT_TRUE(ffmpeg("-i '" + toneWav() + "' -c:a flac -metadata REPLAYGAIN_TRACK_GAIN='-7.5 dB' "
                       "-metadata REPLAYGAIN_TRACK_PEAK=0.9 -metadata REPLAYGAIN_ALBUM_GAIN='-8 dB'", flac));
    std::atomic<bool> abort{false};
    AudioDecoder d;
    ASSERT_TRUE(d.open(flac, kRate, 2, {}, &abort));
    EXPECT_DOUBLE_EQ(d.gains().trackGain, -7.5);
    EXPECT_DOUBLE_EQ(d.gains().trackPeak, 0.9);
    EXPECT_DOUBLE_EQ(d.gains().albumGain, -8.0);
    EXPECT_TRUE(std::isnan(d.gains().albumPeak));

    AudioDecoder plain;
    ASSERT_TRUE(plain.open(toneWav(), kRate, 2, {}, &abort));
    EXPECT_TRUE(std::isnan(plain.gains().trackGain));
}

// Three pieces of one tone in three formats, queued back to back on the decoding thread (the
// last one only after the end before it was decoded): the samples at each join continue the
// sine, with no gap (encoder delay and padding trimmed) and no jump. The test drains the ring
// itself, standing in for the audio callback.
TEST(MusicPlayerGapless, ThreePiecesOfOneToneJoinWithoutAGapOrAClick)
{
    const std::string pieces[] = {dir().file("p1.mp3"), dir().file("p2.m4a"), dir().file("p3.flac")};
    ASSERT_TRUE(ffmpeg("-i '" + toneWav() + "' -t 1 -c:a libmp3lame -b:a 192k", pieces[0]));
    ASSERT_TRUE(ffmpeg("-ss 1 -i '" + toneWav() + "' -t 1 -c:a aac -b:a 192k", pieces[1]));
    ASSERT_TRUE(ffmpeg("-ss 2 -i '" + toneWav() + "' -t 1 -c:a flac", pieces[2]));

    vell::AudioRing ring;
    ring.reset(44100, 2);
    vell::AudioPipeline pipeline;
    pipeline.start(&ring, 44100);
    pipeline.open(1, {pieces[0], {}, {}});
    pipeline.queueNext(1, {pieces[1], {}, {}});

    std::vector<float> heard;
    std::vector<uint64_t> joins;
    float chunk[2 * 1024];
    bool ended = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!ended && std::chrono::steady_clock::now() < deadline) {
        for (const vell::AudioEvent& e : pipeline.takeEvents()) {
            if (e.type == vell::AudioEvent::Continued)
                joins.push_back(e.at);
            // The third piece comes late, after the second one's end was decoded: it still
            // joins, behind the last frame written.
            if (e.type == vell::AudioEvent::Ended && joins.size() == 1)
                pipeline.queueNext(1, {pieces[2], {}, {}});
            else
                ended = ended || e.type == vell::AudioEvent::Ended;
        }
        const int n = ring.pop(chunk, 1024);
        heard.insert(heard.end(), chunk, chunk + 2 * n);
        if (n == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (int n; (n = ring.pop(chunk, 1024)) > 0;)
        heard.insert(heard.end(), chunk, chunk + 2 * n);
    pipeline.shutdown();

    ASSERT_TRUE(ended);
    ASSERT_EQ(joins.size(), 2u);
    EXPECT_NEAR(double(heard.size() / 2) / 44100, 3.0, 0.01);
    // A 440 Hz sine at 1/8 of full scale moves at most ~0.008 per sample; a gap or a click
    // shows as a jump far above that.
    for (uint64_t at : joins) {
        ASSERT_LT(at + 64, heard.size() / 2);
        for (uint64_t i = at - 64; i < at + 64; ++i)
            ASSERT_LT(std::fabs(heard[2 * i + 2] - heard[2 * i]), 0.02f) << "at frame " << i << " near join " << at;
    }
}

// The same joins as heard: the music player plays three 2 s pieces of one tone (MP3 with its LAME
// header, AAC in M4A, FLAC) back to back through SDL's "disk" driver, which writes every sample
// handed to the device to a file, four times faster than real time. Read back, the tone runs
// exactly 6 s with no step between two samples larger than the tone's own steepest slope allows.
TEST(MusicPlayerGapless, ThreePiecesJoinSeamlesslyAsWrittenToTheDevice)
{
    constexpr double kFreq = 440, kPiece = 2;
    const std::string tone = dir().file("tone6.wav"), heardFile = dir().file("heard.raw");
    ASSERT_TRUE(ffmpeg("-f lavfi -i sine=frequency=440:duration=6:sample_rate=44100 -ac 2", tone));
    const std::string pieces[] = {dir().file("q1.mp3"), dir().file("q2.m4a"), dir().file("q3.flac")};
    ASSERT_TRUE(ffmpeg("-i '" + tone + "' -t 2 -c:a libmp3lame -b:a 192k", pieces[0]));
    ASSERT_TRUE(ffmpeg("-ss 2 -i '" + tone + "' -t 2 -c:a aac -b:a 192k", pieces[1]));
    ASSERT_TRUE(ffmpeg("-ss 4 -i '" + tone + "' -t 2 -c:a flac", pieces[2]));

    SDL_QuitSubSystem(SDL_INIT_AUDIO); // the driver is chosen when audio starts
    SDL_setenv("SDL_AUDIODRIVER", "disk", 1);
    SDL_setenv("SDL_DISKAUDIOFILE", heardFile.c_str(), 1);
    // At the device's own pace: faster, a loaded machine can starve the decoder at the start,
    // which is a scheduling hiccup, not a join.
    SDL_setenv("SDL_DISKAUDIODELAY", "186", 1); // ms per 8192-frame buffer at 44.1 kHz
    vell::AssetLoader loader;
    ASSERT_TRUE(loader.start(nullptr, 1 << 20, 1024)) << SDL_GetError();
    vell::MusicPlayer music;
    const bool opened = music.openAudio(&loader);
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(opened) << SDL_GetError();
    int advanced = 0, finished = 0;
    music.onAdvanced = [&](const std::string&) {
        if (++advanced == 1)
            music.queueNext(pieces[2]);
    };
    music.onFinished = [&] { ++finished; };
    music.play(pieces[0]);
    music.queueNext(pieces[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (finished == 0 && std::chrono::steady_clock::now() < deadline) {
        loader.pump();
        music.update(0.002f);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const int rate = music.outputRate();
    loader.stop();
    music.closeAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    ASSERT_EQ(finished, 1);
    EXPECT_EQ(advanced, 2);

    // Float stereo, as the device was given it.
    std::ifstream raw(heardFile, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(raw)), {});
    const std::vector<float> heard(reinterpret_cast<const float*>(bytes.data()),
                 reinterpret_cast<const float*>(bytes.data()) + bytes.size() / sizeof(float));
    size_t first = 0, last = heard.size() / 2;
    while (first < last && std::fabs(heard[2 * first]) < 1e-4f)
        ++first;
    while (last > first && std::fabs(heard[2 * (last - 1)]) < 1e-4f)
        --last;
    ASSERT_GT(last, first) << "nothing was heard";
    EXPECT_NEAR(double(last - first) / rate, 3 * kPiece, 0.005) << "a gap, or padding left in";
    float amplitude = 0;
    for (size_t i = first; i < last; ++i)
        amplitude = std::max(amplitude, std::fabs(heard[2 * i]));
    const float steepest = float(2 * M_PI * kFreq / rate) * amplitude;
    int jumps = 0;
    for (size_t i = first + 1; i < last; ++i) {
        const float step = std::fabs(heard[2 * i] - heard[2 * i - 2]);
        if (step > 2.5f * steepest && jumps++ < 5)
            ADD_FAILURE() << "a step of " << step << " at " << double(i) / rate << " s (the tone's steepest is "
                          << steepest << ")";
    }
    EXPECT_EQ(jumps, 0);
}

} // namespace
