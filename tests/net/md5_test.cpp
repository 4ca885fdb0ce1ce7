#include "app/net/md5.h"

#include <gtest/gtest.h>

#include <string>

// The test suite of RFC 1321, appendix A.5.
TEST(Md5, ReferenceVectors)
{
    EXPECT_EQ(cad::md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(cad::md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(cad::md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(cad::md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(cad::md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(cad::md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(cad::md5Hex("1234567890123456789012345678901234567890"
                          "1234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

// Lengths around the padding boundaries (55/56/63/64 bytes) and bytes above 0x7f.
TEST(Md5, PaddingBoundariesAndBinaryInput)
{
    EXPECT_EQ(cad::md5Hex(std::string(55, 'a')), "ef1772b6dff9a122358552954ad0df65");
    EXPECT_EQ(cad::md5Hex(std::string(56, 'a')), "3b0c8ac703f828b04c6c197006d17218");
    EXPECT_EQ(cad::md5Hex(std::string(63, 'a')), "b06521f39153d618550606be297466d5");
    EXPECT_EQ(cad::md5Hex(std::string(64, 'a')), "014842d480b571495a4a0363793f7367");
    EXPECT_EQ(cad::md5Hex(std::string("\xff\x00\x80", 3)), "60cdccd4000580a3c394b8ad6ea9b899");
    // The token of the Subsonic documentation's example: password "sesame", salt "c19b2d".
    EXPECT_EQ(cad::md5Hex("sesamec19b2d"), "26719a1196d2a940705a59634eb18eab");
}
