#include "app/ui/pages/login_page.h"
#include "app/ui/services.h"

#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(LoginAddress, TrimsAddsTheSchemeAndDropsTrailingSlashes)
{
    EXPECT_EQ(cad::serverAddress("  music.example.com:4533/ \r\n"), "http://music.example.com:4533");
    EXPECT_EQ(cad::serverAddress("\thttps://host/navidrome//"), "https://host/navidrome");
    EXPECT_EQ(cad::serverAddress("http://host"), "http://host");
    EXPECT_EQ(cad::serverAddress(" \t "), "");
    // A scheme anywhere counts: only its absence adds "http://".
    EXPECT_EQ(cad::serverAddress("HTTP://Host"), "HTTP://Host");
}

// The launcher's values (make run's demo) fill the page in; without them, or when
// they are empty, the stored address and user stay and the password is empty.
TEST(LoginPage, TakesTheLauncherValuesOverTheStoredOnes)
{
    testing_support::TempHome home;
    cad::services().store.url = "https://stored.example";
    cad::services().store.user = "stored";
    struct Case {
        const char *url, *user, *password; // nullptr: unset
        const char *wantUrl, *wantUser, *wantPassword;
    };
    const Case cases[] = {
        { nullptr, nullptr, nullptr, "https://stored.example", "stored", "" },
        { "http://127.0.0.1:4533", "demo", "demo", "http://127.0.0.1:4533", "demo", "demo" },
        { "", "", "", "https://stored.example", "stored", "" },
        { nullptr, "demo", nullptr, "https://stored.example", "demo", "" },
    };
    for (const Case& c : cases) {
        const char* names[] = { "SONARIA_LOGIN_URL", "SONARIA_LOGIN_USER", "SONARIA_LOGIN_PASSWORD" };
        const char* values[] = { c.url, c.user, c.password };
        for (int i = 0; i < 3; ++i)
            values[i] ? setenv(names[i], values[i], 1) : unsetenv(names[i]);
        cad::LoginPage page;
        EXPECT_EQ(page.urlField->text, c.wantUrl);
        EXPECT_EQ(page.userField->text, c.wantUser);
        EXPECT_EQ(page.passwordField->text, c.wantPassword);
        EXPECT_TRUE(page.passwordField->password);
    }
    for (const char* name : { "SONARIA_LOGIN_URL", "SONARIA_LOGIN_USER", "SONARIA_LOGIN_PASSWORD" })
        unsetenv(name);
    cad::services().store = cad::Store {};
}

} // namespace
