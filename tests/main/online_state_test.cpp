#include "app/ui/online_state.h"

#include <gtest/gtest.h>

namespace {

TEST(OnlineState, NeedsAPingForcedOffToBeOffAndCompleteCredentials)
{
    struct Case {
        bool reachable, forced;
        const char *url, *user, *token;
        bool online;
    };
    const Case cases[] = {
        { true, false, "http://h", "u", "t", true },
        { false, false, "http://h", "u", "t", false },
        { true, true, "http://h", "u", "t", false },
        { true, false, "", "u", "t", false },
        { true, false, "http://h", "", "t", false },
        { true, false, "http://h", "u", "", false }, // url and user alone are not credentials
    };
    for (const Case& c : cases) {
        cad::Store store;
        store.url = c.url;
        store.user = c.user;
        store.token = c.token;
        store.offlineForced = c.forced;
        EXPECT_EQ(cad::isOnline(c.reachable, store), c.online)
            << c.reachable << c.forced << c.url << "|" << c.user << "|" << c.token;
    }
}

} // namespace
