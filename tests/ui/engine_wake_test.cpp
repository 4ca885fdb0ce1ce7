// A frame loop that sleeps for want of events is woken at once by work that
// finishes on another thread: a network reply and a decoded image.
#include "app/net/net.h"

#include "support/temp_home.h"
#include "vell/engine.h"
#include "vell/wake.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

// Far longer than any bound below: a loop that is not woken sleeps this long.
constexpr double kFallbackSeconds = 30;
constexpr double kPromptSeconds = 10; // loose: a loaded machine must not fail it
constexpr double kSettled = 0.1;

class EngineWakeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vell::Settings s;
        s.audio = false;
        s.fontPath = SONARIA_BINARY_DIR "/data/fonts/font.ttf";
        s.iconFontPath = SONARIA_BINARY_DIR "/data/fonts/MaterialIcons-Regular.ttf";
        ASSERT_TRUE(engine.init(s)) << SDL_GetError();
        engine.shell().push(vell::View::framed("Quiet"));
        // Until everything has settled and the loop sleeps as long as it may.
        for (int i = 0; i < 600 && engine.lastIdleWait() < kSettled; ++i) {
            engine.requestFrameIn(kSettled);
            engine.frame();
        }
        ASSERT_GE(engine.lastIdleWait(), kSettled) << "the quiet engine never went to sleep";
    }

    // Runs frames, each allowed to sleep up to kFallbackSeconds, until `done`;
    // returns the seconds it took.
    double secondsUntil(const std::function<bool()>& done)
    {
        const Uint64 start = SDL_GetPerformanceCounter();
        for (int i = 0; i < 20 && !done(); ++i) {
            engine.requestFrameIn(kFallbackSeconds);
            engine.frame();

        }
        EXPECT_TRUE(done());
        return double(SDL_GetPerformanceCounter() - start) / double(SDL_GetPerformanceFrequency());
    }

    testing_support::TempHome home;
    vell::Engine engine;
};

TEST_F(EngineWakeTest, NetworkReplyWakesTheSleepingLoop)
{
    cad::Net net;
    net.wake = &vell::wakeEngine;
    net.requestPool.start(1);
    bool replied = false;
    // Nothing listens on port 1: the transfer fails at once, and its reply still
    // has to reach the UI thread.
    net.get("http://127.0.0.1:1/rest/ping", [&](cad::HttpResult) { replied = true; }, 5);
    const double seconds = secondsUntil([&] {
        net.poll();
        return replied;
    });
    EXPECT_LT(seconds, kPromptSeconds);
    net.shutdown();
}

TEST_F(EngineWakeTest, DecodedImageWakesTheSleepingLoop)
{
    auto asset = engine.assets().image(SONARIA_BINARY_DIR "/data/logo.png");
    const double seconds = secondsUntil([&] { return asset->ready(); });
    EXPECT_LT(seconds, kPromptSeconds);
}

} // namespace
