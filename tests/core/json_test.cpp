#include "app/core/json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using cad::Json;

namespace {

Json parsed(const std::string& text, bool& ok)
{
    return cad::parse(text, ok);
}

// The compact text of a document, or "invalid".
std::string roundTrip(const std::string& text)
{
    bool ok = false;
    Json value = parsed(text, ok);
    return ok ? value.dump() : "invalid";
}

std::string parsedText(const std::string& document)
{
    bool ok = false;
    Json value = parsed(document, ok);
    EXPECT_TRUE(ok) << document;
    EXPECT_EQ(value.kind, Json::String) << document;
    return value.text;
}

} // namespace

TEST(Json, AcceptsAndRejectsDocuments)
{
    struct Case {
        const char* text;
        const char* compact;  // "invalid" when the document must be rejected
    };
    const Case cases[] = {
        { "", "invalid" },
        { "   ", "invalid" },
        { " null ", "null" },
        { "\t\r\n true \n", "true" },
        { "[1,]", "invalid" },
        { "{\"a\":1,}", "invalid" },
        { "{} x", "invalid" },
        { "truex", "invalid" },
        { "[truex]", "invalid" },
        { "[true]", "[true]" },
        { "tru", "invalid" },
        { "[false,null]", "[false,null]" },
        { "{\"a\" : [ ] , \"b\" : { } }", "{\"a\":[],\"b\":{}}" },
        { "{a:1}", "invalid" },
        { "{\"a\" 1}", "invalid" },
        { "[1 2]", "invalid" },
        { "[1", "invalid" },
        { "\"open", "invalid" },
        { "\"\\", "invalid" },
        { "\"\\u12\"", "invalid" },
        { "\"\\u12G4\"", "invalid" },
        { "\"\\uD83D\\u12\"", "invalid" },
        // Numbers go through strtod, so its extra forms are accepted.
        { "[+1,007,0x10,-0,1e2,.5]", "[1,7,16,0,100,0.5]" },
        { "[inf,-inf]", "[inf,-inf]" },
        { "1e999", "inf" },
        { "[\v2]", "[2]" },
        { "-", "invalid" },
        { "[}", "invalid" },
        { "[1.5e3x]", "invalid" },
        { "\xef\xbb\xbf[]", "invalid" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(roundTrip(c.text), c.compact) << "input: " << c.text;
}

TEST(Json, NestingLimit)
{
    auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    bool ok = false;
    parsed(nested(65), ok);
    EXPECT_TRUE(ok);
    parsed(nested(66), ok);
    EXPECT_FALSE(ok);
    std::string objects;
    for (int i = 0; i < 66; ++i)
        objects += "{\"a\":";
    objects += "1" + std::string(66, '}');
    parsed(objects, ok);
    EXPECT_FALSE(ok);
}

TEST(Json, DecodesStringEscapes)
{
    struct Case {
        const char* document;
        std::string bytes;
    };
    const Case cases[] = {
        { "\"\\b\\f\\n\\r\\t\"", "\b\f\n\r\t" },
        { "\"\\\"\\\\\\/\\q\"", "\"\\/q" },
        { "\"\\u0041\\u00e9\\u20AC\"", "A\xc3\xa9\xe2\x82\xac" },
        { "\"\\u0000\"", std::string(1, '\0') },
        { "\"\\uD83D\\uDE00\"", "\xf0\x9f\x98\x80" },
        { "\"\\uD83D\"", "\xed\xa0\xbd" },
        { "\"\\uDE00x\"", "\xed\xb8\x80x" },
        { "\"\\uD800\\u0000\"", "\xe2\x90\x80" },
        { "\"raw\x01\xff bytes\"", "raw\x01\xff bytes" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(parsedText(c.document), c.bytes) << c.document;
}

TEST(Json, WritesNumbers)
{
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        { 3.0, "3" },
        { 0.1 + 0.2, "0.3" },
        { -0.0, "0" },
        { 12345678901.5, "1.23456789e+10" },
        { 0.8, "0.8" },
        { 0.8f, "0.8000000119" },
        { 1e20, "1e+20" },
        { -1700000000000.0, "-1700000000000" },
        { 9007199254740993.0, "9007199254740992" },
        { 9223372036854775808.0, "9.223372037e+18" },
        { -9223372036854775808.0, "-9223372036854775808" },
        { 1e-7, "1e-07" },
        { std::numeric_limits<double>::infinity(), "inf" },
        { std::numeric_limits<double>::quiet_NaN(), "nan" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Json(c.value).dump(), c.text) << c.value;
}

TEST(Json, WritesStringEscapes)
{
    struct Case {
        std::string bytes;
        const char* text;
    };
    const Case cases[] = {
        { "plain", "\"plain\"" },
        { "\t\n\r", "\"\\t\\n\\r\"" },
        { "\"\\", "\"\\\"\\\\\"" },
        { "\b\f\x01\x1f", "\"\\u0008\\u000c\\u0001\\u001f\"" },
        { std::string(1, '\0'), "\"\\u0000\"" },
        { "a/b\x7f\xc3\xa9", "\"a/b\x7f\xc3\xa9\"" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Json(c.bytes).dump(), c.text);
        EXPECT_EQ(parsedText(c.text), c.bytes) << c.text;
    }
}

TEST(Json, IndentsOneMemberPerLine)
{
    Json array = Json::array();
    array.push(true).push("x");
    Json value;
    value.set("a", 1).set("b", array);
    EXPECT_EQ(value.dump(2), "{\n  \"a\": 1,\n  \"b\": [\n    true,\n    \"x\"\n  ]\n}");
    EXPECT_EQ(value.dump(0), "{\n\"a\": 1,\n\"b\": [\ntrue,\n\"x\"\n]\n}");
    EXPECT_EQ(value.dump(-1), "{\"a\":1,\"b\":[true,\"x\"]}");

    Json empties;
    empties.set("list", Json::array()).set("map", Json::object());
    EXPECT_EQ(empties.dump(4), "{\n    \"list\": [],\n    \"map\": {}\n}");

    std::string out = "prefix:";
    Json(1).dump(out, 2);
    EXPECT_EQ(out, "prefix:1");
}

TEST(Json, DuplicateMembersStaySeparate)
{
    bool ok = false;
    Json value = parsed("{\"a\":1,\"a\":2}", ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(value.get("a").number, 1);
    EXPECT_EQ(value.dump(), "{\"a\":1,\"a\":2}");

    value.set("a", 3).set("b", Json::array());
    EXPECT_EQ(value.dump(), "{\"a\":3,\"a\":2,\"b\":[]}");
    EXPECT_TRUE(value.get("missing").get("deeper").isNull());
    EXPECT_TRUE(value.get("a").get("a").isNull());
}

TEST(Json, BuildsValuesFromPlainTypes)
{
    Json list;
    list.push(nullptr).push(size_t(7)).push(int64_t(-1700000000123)).push(0.5f).push(std::string("s"));
    EXPECT_EQ(list.dump(), "[null,7,-1700000000123,0.5,\"s\"]");
    EXPECT_EQ(Json::object().dump(2), "{}");

    Json array = Json::array();
    array.push(1);
    array.set("b", "x");
    EXPECT_EQ(array.dump(), "{\"b\":\"x\"}");
}

TEST(Json, AccessorsConvertBetweenKinds)
{
    struct Case {
        const char* document;
        std::string asString;
        double asNumber;
        bool asBool;
    };
    // Defaults used below: "def", -1 and true.
    const Case cases[] = {
        { "null", "def", -1, true },
        { "[1]", "def", -1, true },
        { "{\"a\":1}", "def", -1, true },
        { "true", "def", 1, true },
        { "false", "def", 0, false },
        { "1700000000", "1700000000", 1700000000, true },
        { "12.9", "12", 12.9, true },
        { "-3.5", "-3", -3.5, true },
        { "0", "0", 0, false },
        { "\"12abc\"", "12abc", 12, false },
        { "\"abc\"", "abc", 0, false },
        { "\"true\"", "true", 0, true },
        { "\"True\"", "True", 0, false },
        { "\" 0x1A\"", " 0x1A", 26, false },
    };
    for (const Case& c : cases) {
        bool ok = false;
        Json value = parsed(c.document, ok);
        ASSERT_TRUE(ok) << c.document;
        EXPECT_EQ(value.asString("def"), c.asString) << c.document;
        EXPECT_DOUBLE_EQ(value.asNumber(-1), c.asNumber) << c.document;
        EXPECT_EQ(value.asBool(true), c.asBool) << c.document;
    }
}

TEST(Json, IntegerConversionsSaturate)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Json(1e30).asString(""), "9223372036854775807");
    EXPECT_EQ(Json(-1e30).asString(""), "-9223372036854775808");
    EXPECT_EQ(Json(nan).asString(""), "0");
    EXPECT_EQ(Json(-std::numeric_limits<double>::infinity()).asString(""), "-9223372036854775808");

    EXPECT_EQ(cad::truncateToInt32(2147483647.9), 2147483647);
    EXPECT_EQ(cad::truncateToInt32(2147483648.0), 2147483647);
    EXPECT_EQ(cad::truncateToInt32(-2147483648.9), -2147483647 - 1);
    EXPECT_EQ(cad::truncateToInt32(-1e300), -2147483647 - 1);
    EXPECT_EQ(cad::truncateToInt32(nan), 0);
    EXPECT_EQ(cad::truncateToInt32(-7.9), -7);
    EXPECT_EQ(cad::truncateToInt64(9007199254740993.0), 9007199254740992);
}

TEST(Json, NeverReadsPastTheGivenLength)
{
    // Only the first bytes belong to the document; the rest of the buffer is foreign.
    const std::string buffer = "0x1F]";
    bool ok = false;
    Json value = cad::parse(buffer.data(), 3, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(value.number, 1);

    value = cad::parse("[1]", 2, ok);
    EXPECT_FALSE(ok);
    value = cad::parse("truely", 3, ok);
    EXPECT_FALSE(ok);
}
