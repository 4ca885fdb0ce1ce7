#include "app/player/mpris_service.h"

#include <systemd/sd-bus.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

using cad::MprisService;

namespace {

// A private session bus for one test: dbus-daemon, its address in the environment.
class PrivateBus {
public:
    PrivateBus()
    {
        FILE* out = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
        if (!out)
            return;
        char address[512] = {};
        long pid = 0;
        if (std::fscanf(out, "%511s %ld", address, &pid) == 2) {
            m_pid = pid_t(pid);
            const char* old = std::getenv("DBUS_SESSION_BUS_ADDRESS");
            m_previous = old ? old : "";
            setenv("DBUS_SESSION_BUS_ADDRESS", address, 1);
        }
        pclose(out);
    }
    ~PrivateBus()
    {
        if (m_pid > 0)
            kill(m_pid, SIGTERM);
        if (m_previous.empty())
            unsetenv("DBUS_SESSION_BUS_ADDRESS");
        else
            setenv("DBUS_SESSION_BUS_ADDRESS", m_previous.c_str(), 1);
    }
    bool up() const { return m_pid > 0; }

private:
    pid_t m_pid = 0;
    std::string m_previous;
};

constexpr char kPath[] = "/org/mpris/MediaPlayer2";
constexpr char kPlayer[] = "org.mpris.MediaPlayer2.Player";

} // namespace

// Calls from another connection reach the actions only through the watcher's wake and
// process() on this thread; replies and property reads come from the published state.
TEST(MprisServiceThreaded, CallsArriveThroughTheWakeAndProcess)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.up()) << "dbus-daemon could not start";
    std::atomic<int> wakes{0};
    int playPauses = 0;
    std::vector<int64_t> positions;
    double volume = -1;
    cad::MprisActions actions;
    actions.playPause = [&] { ++playPauses; };
    actions.setPosition = [&](int64_t us) { positions.push_back(us); };
    actions.setVolume = [&](double v) { volume = v; };
    actions.position = [] { return int64_t(10'000'000); };
    MprisService service;
    std::string error;
    ASSERT_TRUE(service.start(actions, [&] { ++wakes; }, error)) << error;
    EXPECT_EQ(service.busName(), "org.mpris.MediaPlayer2.sonaria");
    cad::MprisState state;
    state.playbackStatus = "Playing";
    state.metadata.hasTrack = true;
    state.metadata.trackId = cad::mprisTrackPath("../x y");
    state.metadata.lengthUs = 60'000'000;
    state.canSeek = true;
    service.publish(state, 0);

    MprisService second;
    ASSERT_TRUE(second.start({}, [] {}, error)) << error;
    EXPECT_EQ(second.busName().rfind("org.mpris.MediaPlayer2.sonaria.instance", 0), 0u) << second.busName();
    second.stop();

    std::atomic<bool> done{false};
    std::string status, badLoop;
    int callErrors = 0;
    std::thread client([&] {
        sd_bus* c = nullptr;
        if (sd_bus_open_user(&c) < 0) {
            done = true;
            return;
        }
        const char* name = "org.mpris.MediaPlayer2.sonaria";
        sd_bus_error e = SD_BUS_ERROR_NULL;
        callErrors += sd_bus_call_method(c, name, kPath, kPlayer, "PlayPause", &e, nullptr, "") < 0;
        callErrors += sd_bus_call_method(c, name, kPath, kPlayer, "SetPosition", &e, nullptr, "ox",
                                         "/org/sonaria/track/other", int64_t(5'000'000)) < 0;
        callErrors += sd_bus_call_method(c, name, kPath, kPlayer, "SetPosition", &e, nullptr, "ox",
                                         state.metadata.trackId.c_str(), int64_t(20'000'000)) < 0;
        callErrors += sd_bus_set_property(c, name, kPath, kPlayer, "Volume", &e, "d", 0.25) < 0;
        char* text = nullptr;
        if (sd_bus_get_property_string(c, name, kPath, kPlayer, "PlaybackStatus", &e, &text) >= 0)
            status = text;
        std::free(text);
        sd_bus_error_free(&e);
        if (sd_bus_set_property(c, name, kPath, kPlayer, "LoopStatus", &e, "s", "Sometimes") < 0)
            badLoop = e.name ? e.name : "";
        sd_bus_error_free(&e);
        sd_bus_flush_close_unref(c);
        done = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done && std::chrono::steady_clock::now() < deadline) {
        if (wakes.exchange(0) > 0)
            service.process();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    client.join();
    service.stop();
    EXPECT_EQ(callErrors, 0);
    EXPECT_EQ(playPauses, 1);
    EXPECT_EQ(positions, std::vector<int64_t> { 20'000'000 }) << "another track's position is ignored";
    EXPECT_DOUBLE_EQ(volume, 0.25);
    EXPECT_EQ(status, "Playing");
    EXPECT_EQ(badLoop, SD_BUS_ERROR_INVALID_ARGS);
}

TEST(MprisService, NoBusIsAnErrorValueAndStaysOff)
{
    const char* old = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string previous = old ? old : "";
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    MprisService service;
    std::string error;
    EXPECT_FALSE(service.start({}, [] {}, error));
    EXPECT_NE(error.find("no session bus"), std::string::npos) << error;
    EXPECT_FALSE(service.running());
    service.process();
    service.publish({}, 0);
    EXPECT_FALSE(MprisService::raise("org.mpris.MediaPlayer2.sonaria", error));
    if (previous.empty())
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    else
        setenv("DBUS_SESSION_BUS_ADDRESS", previous.c_str(), 1);
}
