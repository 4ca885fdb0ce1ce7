#include "app/ui/login_page.h"

#include <gtest/gtest.h>

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

} // namespace
