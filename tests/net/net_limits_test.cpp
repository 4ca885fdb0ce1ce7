#include "app/net/curl_transfer.h"
#include "net/net_test_helpers.h"
#include "support/loopback_http_server.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace net_testing;
using testing_support::CannedReply;
using testing_support::LoopbackHttpServer;

namespace {

bool exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

} // namespace

// Only http and https are ever spoken: neither a user-typed address nor a server's
// redirect may make the client read local files or talk other protocols.
TEST(NetProtocols, OtherSchemesAreRefused)
{
    testing_support::TempHome home;
    std::ofstream(home.file("secret")) << "local file";
    StartedNet net;

    const cad::HttpResult viaFile = getNow(net, "file://" + home.file("secret"));
    EXPECT_FALSE(viaFile.ok);
    EXPECT_EQ(viaFile.status, 0);
    EXPECT_EQ(viaFile.error, "Unsupported protocol");
    EXPECT_EQ(viaFile.body, "");

    const DownloadOutcome download = downloadNow(net, "file://" + home.file("secret"), home.file("copy"));
    EXPECT_FALSE(download.ok);
    EXPECT_EQ(download.error, "Unsupported protocol");
    EXPECT_FALSE(exists(home.file("copy")));
    EXPECT_FALSE(exists(home.file("copy.part")));
}

TEST(NetProtocols, RedirectsToOtherSchemesAreRefused)
{
    testing_support::TempHome home;
    StartedNet net;
    for (const std::string& target : {std::string("ftp://127.0.0.1:1/x"), "file://" + home.file("secret")}) {
        LoopbackHttpServer server(CannedReply::redirect(target));
        ASSERT_TRUE(server.ok());
        const cad::HttpResult get = getNow(net, server.url("/rest/ping"));
        EXPECT_EQ(get.error, "Unsupported protocol") << target;
        const DownloadOutcome download = downloadNow(net, server.url("/song"), home.file("song.mp3"));
        EXPECT_EQ(download.error, "Unsupported protocol") << target;
        EXPECT_FALSE(exists(home.file("song.mp3")));
    }
}

TEST(NetProtocols, RedirectsWithinHttpAreFollowed)
{
    testing_support::TempHome home;
    LoopbackHttpServer target(CannedReply::body(1000, "audio/mpeg"));
    LoopbackHttpServer redirect(CannedReply::redirect(target.url("/file")));
    StartedNet net;
    const DownloadOutcome download = downloadNow(net, redirect.url("/song"), home.file("song.mp3"));
    EXPECT_TRUE(download.ok) << download.error;
    EXPECT_EQ(std::filesystem::file_size(home.file("song.mp3")), 1000u);
}

// An API reply is held in memory, so its size is bounded; a song download is not.
TEST(NetBodyLimit, GetFailsBeyondTheLimitAndDownloadsDoNot)
{
    testing_support::TempHome home;
    const long long over = (long long)cad::kMaxGetBody + 1;
    LoopbackHttpServer big(CannedReply::body(over, "application/json"));
    StartedNet net;

    const cad::HttpResult get = getNow(net, big.url("/rest/getAlbum"));
    EXPECT_FALSE(get.ok);
    EXPECT_EQ(get.status, 0);
    EXPECT_EQ(get.error, "Server response too large (over 256 MiB)");
    EXPECT_TRUE(get.body.empty());

    LoopbackHttpServer bigFile(CannedReply::body(over, "audio/flac"));
    const DownloadOutcome download = downloadNow(net, bigFile.url("/rest/download"), home.file("big.flac"));
    EXPECT_TRUE(download.ok) << download.error;
    EXPECT_EQ((long long)std::filesystem::file_size(home.file("big.flac")), over);
}

TEST(NetBodyLimit, BodyOfExactlyTheLimitIsKept)
{
    LoopbackHttpServer server(CannedReply::body(4096, "application/json"));
    const cad::HttpResult atLimit = cad::performGet(server.url("/"), 10, false, 4096);
    EXPECT_TRUE(atLimit.ok) << atLimit.error;
    EXPECT_EQ(atLimit.body.size(), 4096u);
    const cad::HttpResult over = cad::performGet(server.url("/"), 10, false, 4095);
    EXPECT_FALSE(over.ok);
    EXPECT_EQ(over.error, cad::kTooLargeError);
}
