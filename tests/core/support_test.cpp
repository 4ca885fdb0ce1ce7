#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

// The per-test home every suite relies on: created, exported, removed.
TEST(TestSupport, TempHomeIsExportedAndRemoved)
{
    std::string where;
    {
        testing_support::TempHome home;
        where = home.path();
        ASSERT_TRUE(std::filesystem::is_directory(where));
        EXPECT_EQ(std::string(std::getenv("CADDIS_HOME")), where);
    }
    EXPECT_FALSE(std::filesystem::exists(where));
}
