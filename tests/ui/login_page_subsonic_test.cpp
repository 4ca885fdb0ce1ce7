#include "app/core/platform.h"
#include "app/net/credentials.h"
#include "app/ui/pages/login_page.h"
#include "app/ui/nav.h"
#include "app/ui/services.h"

#include "support/subsonic_test_server.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using testing_support::SubsonicTestServer;

class LoginPageSubsonic : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.ok()) << server.error();
        static bool started = [] {
            cad::services().net.requestPool.start(3);
            return true;
        }();
        (void)started;
        cad::services().store = cad::Store {};
        cad::services().store.load();
        cad::nav().signedIn = [this] { ++signIns; };
        page = std::make_shared<cad::LoginPage>();
        view = cad::presentPage(page);
    }

    void TearDown() override { cad::nav() = cad::Nav {}; }

    void fill(const std::string& url, const std::string& password)
    {
        page->urlField->setText(url);
        page->userField->setText(" " + server.user() + "\t");
        page->passwordField->setText(password);
    }

    // Runs the completions the way the controller's frame hook does until the attempt ends.
    void finish()
    {
        for (int i = 0; i < 1000 && page->busy; ++i) {
            cad::services().net.poll();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_FALSE(page->busy);
    }

    int pings()
    {
        int n = 0;
        for (const auto& r : server.requests())
            n += r.endpoint == "ping";
        return n;
    }

    testing_support::TempHome home;
    SubsonicTestServer server { { .user = "tester", .password = "p\xC3\xA4ss word" } };
    std::shared_ptr<cad::LoginPage> page;
    vell::ViewPtr view;
    int signIns = 0;
};

TEST_F(LoginPageSubsonic, ConnectsOnceAndStoresTheTokenButNeverThePassword)
{
    const std::string hostPort = server.baseUrl().substr(std::string("http://").size());
    fill("  " + hostPort + "/ ", server.password());
    page->connect();
    page->connect(); // a second press while busy sends nothing
    EXPECT_TRUE(page->progress->visible);
    EXPECT_EQ(page->status->text(), "Connecting...");
    finish();

    EXPECT_EQ(pings(), 1);
    EXPECT_EQ(signIns, 1);
    EXPECT_FALSE(page->progress->visible);
    EXPECT_TRUE(page->passwordField->text.empty());
    const cad::Store& store = cad::services().store;
    EXPECT_EQ(store.url, server.baseUrl());
    EXPECT_EQ(store.user, "tester");
    EXPECT_EQ(store.token, cad::makeToken(server.password(), store.salt));
    const std::string config = cad::platform::readFile(home.dataDir() + "/config.json");
    EXPECT_NE(config.find(store.token), std::string::npos);
    EXPECT_EQ(config.find(server.password()), std::string::npos);
}

TEST_F(LoginPageSubsonic, FailureShowsTheServerMessageAndStoresNothing)
{
    fill(server.baseUrl(), "wrong");
    page->connect();
    finish();
    EXPECT_EQ(page->status->text(), "Connection failed: Wrong username or password");
    EXPECT_EQ(signIns, 0);
    EXPECT_TRUE(cad::services().store.token.empty());
    EXPECT_TRUE(cad::services().subsonic.token().empty());
    EXPECT_TRUE(cad::services().subsonic.url().empty());
    EXPECT_FALSE(cad::platform::fileExists(home.dataDir() + "/config.json"));
    EXPECT_EQ(page->passwordField->text, "wrong"); // the fields keep their contents

    fill("", "secret");
    page->connect();
    EXPECT_FALSE(page->busy);
    EXPECT_EQ(page->status->text(), "Enter the server address, username and password.");
    EXPECT_EQ(pings(), 1);
}

} // namespace
