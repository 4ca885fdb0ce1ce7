#include "app/core/platform.h"
#include "app/core/store.h"
#include "app/net/covers.h"
#include "app/net/credentials.h"
#include "app/net/subsonic.h"
#include "net/net_test_helpers.h"
#include "support/subsonic_test_server.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace net_testing;
using testing_support::Fault;

namespace {

// Covers against the test server. One request worker runs jobs in order, so a GET posted
// after a cover download completes after it: settle() waits for every cover completion.
struct NetCovers : testing::Test {
    testing_support::TempHome home;
    testing_support::SubsonicTestServer server;
    cad::Net net;
    cad::Subsonic subsonic{net};
    cad::Store store;
    cad::Covers covers{net, subsonic, store};
    double now = 1000;

    NetCovers()
    {
        net.requestPool.start(1);
        covers.clock = [this] { return now; };
        const std::string salt = cad::makeSalt();
        subsonic.configure({server.baseUrl(), server.user(), salt, cad::makeToken(server.password(), salt)});
    }

    void settle() { getNow(net, server.restUrl("ping")); }

    int coverRequests()
    {
        int count = 0;
        for (const auto& request : server.requests())
            count += request.endpoint == "getCoverArt";
        return count;
    }
};

} // namespace

TEST(CoversPath, IdBytesOutsideLettersDigitsAndDashBecomeUnderscores)
{
    testing_support::TempHome home;
    const std::string dir = cad::platform::dataDir() + "/covers/";
    EXPECT_EQ(cad::Covers::path("al-1/x", 300), dir + "al-1_x_300.jpg");
    EXPECT_EQ(cad::Covers::path("Al-9z", 600), dir + "Al-9z_600.jpg");
    EXPECT_EQ(cad::Covers::path("../a b\xc3\xa9", 300), dir + "___a_b___300.jpg");
}

TEST_F(NetCovers, OneDownloadPerIdAndSize)
{
    EXPECT_FALSE(covers.ready("", 300));
    EXPECT_FALSE(covers.ready("al-1", 300));
    EXPECT_FALSE(covers.ready("al-1", 300)); // the same cover on screen twice
    ASSERT_TRUE(pollUntil(net, [&] { return covers.ready("al-1", 300); }));
    EXPECT_TRUE(covers.ready("al-1", 300));
    ASSERT_EQ(coverRequests(), 1);
    const auto request = server.requests().front();
    EXPECT_EQ(request.param("id"), "al-1");
    EXPECT_EQ(request.param("size"), "300");
    EXPECT_GT(std::filesystem::file_size(cad::Covers::path("al-1", 300)), 0u);

    ASSERT_TRUE(pollUntil(net, [&] { return covers.ready("al-1", 600); })); // another size, another file
    EXPECT_EQ(coverRequests(), 2);
    EXPECT_EQ(temporaries(cad::platform::dataDir() + "/covers"), std::vector<std::string>{});
}

// A failed cover is asked for again only 20 s (of the cache's clock) after the attempt ended.
TEST_F(NetCovers, FailureIsRetriedAfterTwentySeconds)
{
    Fault broken;
    broken.endpoint = "getCoverArt";
    broken.status = 500;
    ASSERT_TRUE(server.injectFault(broken));
    EXPECT_FALSE(covers.ready("al-2", 300));
    settle();
    EXPECT_FALSE(std::filesystem::exists(cad::Covers::path("al-2", 300)));

    now += 19.9;
    EXPECT_FALSE(covers.ready("al-2", 300));
    settle();
    EXPECT_EQ(coverRequests(), 1);

    now += 0.1;
    EXPECT_FALSE(covers.ready("al-2", 300)); // tried again
    settle();
    EXPECT_EQ(coverRequests(), 2);
    EXPECT_TRUE(covers.ready("al-2", 300));
}

// Offline or signed out, only covers already on disk are shown; nothing is requested.
TEST_F(NetCovers, NothingIsRequestedOfflineOrWithoutCredentials)
{
    struct Case {
        const char* name;
        bool offline;
        cad::Credentials credentials;
    };
    const std::string url = server.baseUrl();
    const Case cases[] = {
        {"offline", true, {url, "demo", "s", "t"}},
        {"no url", false, {"", "demo", "s", "t"}},
        {"no user", false, {url, "", "s", "t"}},
        {"no token", false, {url, "demo", "s", ""}},
    };
    const std::string onDisk = cad::Covers::path("al-3", 300);
    std::filesystem::create_directories(cad::platform::dataDir() + "/covers");
    std::ofstream(onDisk) << "jpeg";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        covers.reset();
        covers.offline = c.offline;
        subsonic.configure(c.credentials);
        EXPECT_FALSE(covers.ready("al-1", 300));
        EXPECT_TRUE(covers.ready("al-3", 300));
    }
    settle();
    EXPECT_EQ(coverRequests(), 0);
}

// reset() forgets every state: a download started before it cannot mark its cover (here as
// failed, which would hold back the next attempt for 20 s), nor can one whose Covers is gone.
TEST_F(NetCovers, CompletionsAfterResetOrDestructionMarkNothing)
{
    Fault broken;
    broken.endpoint = "getCoverArt";
    broken.status = 500;
    broken.times = 2;
    ASSERT_TRUE(server.injectFault(broken));
    EXPECT_FALSE(covers.ready("al-4", 300));
    covers.reset();
    settle();
    EXPECT_FALSE(covers.ready("al-4", 300)); // asked again at once
    settle();
    EXPECT_EQ(coverRequests(), 2);

    {
        cad::Covers gone(net, subsonic, store);
        EXPECT_FALSE(gone.ready("al-5", 300));
    }
    settle(); // its completion runs with the Covers destroyed
    EXPECT_EQ(coverRequests(), 3);
}
