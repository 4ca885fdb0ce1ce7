#pragma once
// Pages on a real engine (offscreen video, 1280×720, the app's styles),
// signed in to our test server with a real player, the service pools running
// and toasts collected as "title: detail\n".
#include "app/net/credentials.h"
#include "app/player/player_core.h"
#include "app/ui/app_styles.h"
#include "app/ui/nav.h"
#include "app/ui/services.h"
#include "app/ui/song_actions.h"

#include "support/service_pools.h"
#include "support/subsonic_test_server.h"
#include "vell/engine_fixture.h"
#include "widget_texts.h"

#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace ui_testing {

class SignedInTest : public vell_testing::EngineTest {
protected:
    explicit SignedInTest(testing_support::SubsonicTestServer::Options options = {})
        : server(options)
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(server.ok()) << server.error();
        vell::Settings settings = vell_testing::headlessSettings();
        settings.logicalWidth = settings.windowWidth = 1280;
        settings.logicalHeight = settings.windowHeight = 720;
        settings.layoutFollowsWindow = layoutFollowsWindow;
        settings.styleOverrides = cad::appStyles();
        start(settings);
        testing_support::startServicePools();
        cad::Services& s = cad::services();
        s.store = cad::Store {};
        s.store.load();
        s.engine = engine.get();
        s.online = true;
        const std::string salt = "c0ffee";
        s.subsonic.configure({ server.baseUrl(), server.user(), salt, cad::makeToken(server.password(), salt) });
        player = std::make_unique<cad::PlayerCore>(s.net, s.subsonic, s.store, engine->music());
        s.player = player.get();
        cad::contextSong() = {};
        cad::nav().toast = [this](const std::string& title, const std::string& detail, float, unsigned) {
            toasts += title + ": " + detail + "\n";
        };
    }

    void TearDown() override
    {
        cad::nav() = cad::Nav {};
        cad::services().player = nullptr;
        cad::services().engine = nullptr;
        player.reset(); // it plays through the engine's music player
        engine.reset();
    }

    // Frames with the controller's completion pump until `done` holds (or 20 s pass).
    bool until(const std::function<bool()>& done)
    {
        for (int i = 0; i < 2000; ++i) {
            cad::services().net.poll();
            step();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    testing_support::SubsonicTestServer server;
    // Set before SetUp: the layout follows the window (and engine->setUiScale).
    bool layoutFollowsWindow = false;
    std::unique_ptr<cad::PlayerCore> player;
    std::string toasts;
};

} // namespace ui_testing
