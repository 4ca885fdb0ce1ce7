#include "app/net/curl_transfer.h"
#include "app/net/temporaries.h"
#include "net/net_test_helpers.h"
#include "support/subsonic_test_server.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

using namespace net_testing;
using testing_support::Fault;
using testing_support::SubsonicTestServer;

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Fault throttled(const std::string& endpoint, long long bytesPerSecond, int times = 1)
{
    Fault fault;
    fault.endpoint = endpoint;
    fault.throttleBytesPerSecond = bytesPerSecond;
    fault.times = times;
    return fault;
}

struct NetQuit : testing::Test {
    testing_support::TempHome home;
    SubsonicTestServer server;
    StartedNet net;

    std::string songUrl(const std::string& id = "tr-4") { return server.restUrl("download", {{"id", id}}); }
    std::string song(const std::string& name = "tr-4.flac") { return slurp(server.mediaDir() + "/" + name); }

    std::shared_ptr<cad::Transfer> start(const std::string& path, DownloadOutcome& out)
    {
        return net.download(songUrl(), path, [&out](bool ok, const std::string& error) {
            out = {true, ok, error};
        }, false);
    }
};

} // namespace

// A prefetch still running when its song is fetched again: each transfer writes its own
// temporary, so cancelling the older one while the newer one runs leaves the newer one's
// bytes alone, and it lands complete.
TEST_F(NetQuit, TwoTransfersToOnePathKeepApart)
{
    ASSERT_TRUE(server.injectFault(throttled("download", 20000)));
    ASSERT_TRUE(server.injectFault(throttled("download", 100000)));
    const std::string path = home.file("same.flac");
    DownloadOutcome olderOut, newerOut;
    auto older = start(path, olderOut);
    ASSERT_TRUE(pollUntil(net, [&] { return older->received.load() > 0; }));
    auto newer = start(path, newerOut);
    ASSERT_TRUE(pollUntil(net, [&] { return newer->received.load() > 0; }));
    older->cancel = true;
    ASSERT_TRUE(pollUntil(net, [&] { return olderOut.delivered && newerOut.delivered; }, 60));
    EXPECT_EQ(olderOut.error, "cancelled");
    EXPECT_TRUE(newerOut.ok) << newerOut.error;
    EXPECT_TRUE(slurp(path) == song()) << "the file is the complete song";
    EXPECT_EQ(temporaries(home.path()), std::vector<std::string>{});
}

// Quitting: cancelAll stops running downloads, stream fetches and GETs alike, stopPools
// returns promptly, and the completions stay queued for one last poll.
TEST_F(NetQuit, CancelAllThenStopPoolsEndsEveryTransferAndKeepsCompletions)
{
    net.streamPool.start(1);
    ASSERT_TRUE(server.injectFault(throttled("download", 20000, 2)));
    Fault silent;
    silent.endpoint = "ping";
    silent.delaySeconds = 60;
    ASSERT_TRUE(server.injectFault(silent));

    DownloadOutcome download, stream;
    auto song = start(home.file("a.flac"), download);
    auto fetch = net.fetchStream(songUrl(), home.file("b.flac"), [&](bool ok, const std::string& error) {
        stream = {true, ok, error};
    });
    cad::HttpResult ping;
    bool pinged = false;
    net.get(server.restUrl("ping"), [&](cad::HttpResult result) { ping = std::move(result); pinged = true; }, 120);
    ASSERT_TRUE(pollUntil(net, [&] {
        return song->received.load() > 0 && fetch->received.load() > 0 && server.requests().size() >= 3;
    }));

    net.cancelAll();
    const auto began = std::chrono::steady_clock::now();
    net.stopPools();
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10));
    EXPECT_TRUE(song->done.load());
    EXPECT_TRUE(fetch->done.load());

    net.poll();
    for (const DownloadOutcome* out : {&download, &stream}) {
        EXPECT_TRUE(out->delivered);
        EXPECT_EQ(out->error, "cancelled");
    }
    EXPECT_TRUE(pinged);
    EXPECT_EQ(ping.error, "cancelled");
    EXPECT_EQ(temporaries(home.path()), std::vector<std::string>{});
}

// A cancel raised after the last byte but before the rename still wins: the owner has
// given up on the file, so nothing may land at the path.
TEST(NetFinalize, LateCancelLeavesNoFile)
{
    testing_support::TempDir dir;
    const std::string path = dir.file("song.mp3");
    for (const bool cancelled : {false, true}) {
        SCOPED_TRACE(cancelled);
        const std::string part = cad::temporaryPath(path);
        EXPECT_TRUE(part.starts_with(path + ".") && part.ends_with(".part"));
        EXPECT_NE(part, cad::temporaryPath(path));
        std::ofstream(part) << "bytes";
        cad::Transfer transfer;
        transfer.cancel = cancelled;
        const cad::FetchOutcome out = cad::finalizeDownload(part, path, transfer);
        EXPECT_EQ(out.ok, !cancelled);
        EXPECT_EQ(out.error, cancelled ? "cancelled" : "");
        EXPECT_EQ(std::filesystem::exists(path), !cancelled);
        EXPECT_FALSE(std::filesystem::exists(part));
        std::filesystem::remove(path);
    }
}

TEST(Temporaries, OnlyPartFilesDirectlyInsideAreRemoved)
{
    namespace fs = std::filesystem;
    testing_support::TempDir dir;
    fs::create_directories(dir.file("sub"));
    fs::create_directories(dir.file("folder.part"));
    for (const char* name : {"a.mp3.part", "a.mp3.123-4.part", ".part", "a.mp3", "a.partial", "part", "sub/b.part"})
        std::ofstream(dir.file(name)) << "x";
    fs::create_symlink(dir.file("a.mp3"), dir.file("link.part"));

    cad::removeTemporaries(dir.path());
    cad::removeTemporaries(dir.file("missing")); // nothing to do, no failure
    const struct {
        const char* name;
        bool kept;
    } expected[] = {{"a.mp3.part", false}, {"a.mp3.123-4.part", false}, {".part", false}, {"a.mp3", true},
                    {"a.partial", true}, {"part", true}, {"sub/b.part", true}, {"folder.part", true},
                    {"link.part", true}};
    for (const auto& e : expected)
        EXPECT_EQ(fs::exists(fs::symlink_status(dir.file(e.name))), e.kept) << e.name;
}
