#include "app/net/credentials.h"
#include "app/net/percent_encode.h"

#include <gtest/gtest.h>

#include <set>

TEST(PercentEncode, KeepsUnreservedAndEncodesEverythingElse)
{
    EXPECT_EQ(cad::percentEncode("AZaz09-._~"), "AZaz09-._~");
    EXPECT_EQ(cad::percentEncode("a b&x"), "a%20b%26x");
    EXPECT_EQ(cad::percentEncode("AC/DC"), "AC%2FDC");
    EXPECT_EQ(cad::percentEncode("1+1=2?#%"), "1%2B1%3D2%3F%23%25");
    EXPECT_EQ(cad::percentEncode("\xc3\xa9"), "%C3%A9"); // é, byte by byte, upper-case hex
    EXPECT_EQ(cad::percentEncode(std::string("\0\x7f", 2)), "%00%7F");
    EXPECT_EQ(cad::percentEncode(""), "");
}

TEST(Credentials, SaltIsTenHexCharactersAndFreshEachTime)
{
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
        const std::string salt = cad::makeSalt();
        ASSERT_EQ(salt.size(), 10u);
        EXPECT_EQ(salt.find_first_not_of("0123456789abcdef"), std::string::npos) << salt;
        seen.insert(salt);
    }
    EXPECT_EQ(seen.size(), 20u);
}

TEST(Credentials, TokenIsMd5OfPasswordThenSalt)
{
    EXPECT_EQ(cad::makeToken("sesame", "c19b2d"), "26719a1196d2a940705a59634eb18eab");
}
