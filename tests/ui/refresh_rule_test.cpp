#include "app/ui/refresh_rule.h"

#include <gtest/gtest.h>

namespace {

using cad::RefreshRule;

TEST(RefreshRule, ReloadsOnShowByRule)
{
    struct Case {
        RefreshRule rule;
        uint32_t now, loadedAt;
        bool loadedOnline, online, expected;
    };
    const Case cases[] = {
        { RefreshRule::Stale, 130000, 100000, true, true, false },   // 30 s, same state
        { RefreshRule::Stale, 161000, 100000, true, true, true },    // 61 s
        { RefreshRule::Stale, 160000, 100000, true, true, false },   // exactly 60 s is not stale
        { RefreshRule::Stale, 130000, 100000, true, false, true },   // went offline meanwhile
        { RefreshRule::Stale, 5000, 0xFFFFF000u, true, true, false }, // tick counter wrapped: 9 s
        { RefreshRule::OnlineChanged, 900000, 0, true, true, false },
        { RefreshRule::OnlineChanged, 1000, 0, false, true, true },
        { RefreshRule::Always, 1, 1, true, true, true },
        { RefreshRule::Never, 900000, 0, false, true, false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(cad::shouldRefreshOnShow(c.rule, c.now, c.loadedAt, c.loadedOnline, c.online), c.expected)
            << int(c.rule) << " " << c.now << " " << c.loadedAt;
}

} // namespace
