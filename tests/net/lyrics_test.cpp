#include "app/net/lyrics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <cstdlib>
#include <string>
#include <vector>

using cad::Lyrics;

namespace {

cad::Json json(const std::string& text)
{
    bool ok = false;
    cad::Json value = cad::parse(text, ok);
    EXPECT_TRUE(ok) << text;
    return value;
}

// "lang synced offset: start:text | ..." per entry, "; " between entries.
std::string summary(const std::vector<Lyrics>& all)
{
    std::string out;
    for (const Lyrics& lyrics : all) {
        if (!out.empty())
            out += "; ";
        out += lyrics.lang + (lyrics.synced ? " synced " : " plain ") + std::to_string(lyrics.offsetMs) + ":";
        for (const auto& line : lyrics.lines)
            out += " " + std::to_string(line.startMs) + "=" + line.text;
    }
    return out;
}

Lyrics synced(std::vector<int64_t> starts, int64_t offset = 0, std::string lang = "eng")
{
    Lyrics lyrics{std::move(lang), true, offset, {}};
    for (int64_t start : starts)
        lyrics.lines.push_back({start, "l"});
    return lyrics;
}

} // namespace

TEST(Lyrics, StructuredDocumentsDecode)
{
    const struct {
        const char* document;
        const char* expected;
    } cases[] = {
        // The shape getLyricsBySongId sends, two entries.
        {R"j({"structuredLyrics":[{"displayArtist":"A","displayTitle":"T","lang":"eng","offset":-100,"synced":true,
             "line":[{"start":0,"value":"One"},{"start":2000,"value":"Two"}]},
            {"lang":"xxx","synced":false,"line":[{"value":"Un"},{"value":"Deux"}]}]})j",
         "eng synced -100: 0=One 2000=Two; xxx plain 0: -1=Un -1=Deux"},
        // Missing members take defaults; a line without start stays untimed among timed ones.
        {R"j({"structuredLyrics":[{"line":[{"value":"x"}]},
             {"synced":true,"line":[{"start":"1500","value":"a"},{"value":"(solo)"},{"start":null},{"start":-5,"value":"b"}]}]})j",
         " plain 0: -1=x;  synced 0: 1500=a -1=(solo) -1= 0=b"},
        // Synced without a single time is shown as plain text; numbers as values become text.
        {R"j({"structuredLyrics":[{"lang":"ja","synced":true,"line":[{"value":"夜明け"},{"value":42}]}]})j",
         "ja plain 0: -1=夜明け -1=42"},
        // Nothing to show: an empty list, an entry without lines, no list at all, not an object.
        {R"j({"structuredLyrics":[]})j", ""},
        {R"j({"structuredLyrics":[{"lang":"eng","synced":true,"line":[]},{"lang":"deu"}]})j", ""},
        {R"j({})j", ""},
        {R"j("lyrics")j", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(summary(cad::structuredLyricsFromJson(json(c.document))), c.expected) << c.document;
}

TEST(Lyrics, PlainTextDecodes)
{
    const struct {
        const char* document;
        const char* expected;
    } cases[] = {
        {R"j({"artist":"A","title":"T","value":"First\r\nSecond\n\nThird\n"})j", " plain 0: -1=First -1=Second -1= -1=Third"},
        {R"j({"value":"\n  Утро\n"})j", " plain 0: -1=  Утро"},
        {R"j({"value":" \n\t "})j", ""},
        {R"j({"artist":"A","title":"T"})j", ""},
        {R"j({"value":null})j", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(summary(cad::plainLyricsFromJson(json(c.document))), c.expected) << c.document;
}

TEST(Lyrics, ChoosesTheSystemLanguageThenSyncedThenFirst)
{
    const Lyrics plainEn{"eng", false, 0, {{-1, "x"}}};
    const Lyrics syncedJa = synced({0}, 0, "jpn");
    const Lyrics plainDe{"de-DE", false, 0, {{-1, "x"}}};
    const Lyrics unknown{"xxx", false, 0, {{-1, "x"}}};
    const struct {
        std::vector<Lyrics> all;
        const char* language;
        int expected;
    } cases[] = {
        {{plainEn, syncedJa}, "en", 0},
        {{plainEn, syncedJa}, "ja", 1},
        {{plainEn, syncedJa}, "fr", 1},    // no match: the synced one
        {{plainEn, syncedJa, plainDe}, "de", 2}, // a tag matches its language
        {{unknown, plainEn}, "ru", 0},      // nothing synced: the first
        {{syncedJa}, "", 0},
        {{}, "en", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cad::chooseLyrics(c.all, c.language), c.expected) << c.language;
}

TEST(Lyrics, LineAtTimeAndTheNextLineApplyTheOffset)
{
    constexpr double kNone = std::numeric_limits<double>::infinity();
    const Lyrics plain{"eng", false, 0, {{0, "a"}, {1000, "b"}}};
    Lyrics gaps = synced({1000, -1, 3000, 3000});
    const struct {
        Lyrics lyrics;
        double seconds;
        int expected;
        double next; // seconds to the next line's start
    } cases[] = {
        {synced({1000, 2000, 4000}), 0.0, -1, 1.0},  // before the first line
        {synced({1000, 2000, 4000}), 1.0, 0, 1.0},   // a line starts exactly now
        {synced({1000, 2000, 4000}), 3.999, 1, 0.001},
        {synced({1000, 2000, 4000}), 600.0, 2, kNone}, // after the last line it stays
        {synced({1000, 2000, 4000}, 500), 1.5, 1, 2.0},   // positive offset: sooner
        {synced({1000, 2000, 4000}, 500), 0.499, -1, 0.001},
        {synced({1000, 2000, 4000}, -500), 2.4, 0, 0.1},  // negative offset: later
        {synced({1000, 2000, 4000}, -500), 2.5, 1, 2.0},
        {gaps, 2.0, 0, 1.0},    // an untimed line is never current
        {gaps, 3.0, 3, kNone},  // of two equal times the later line
        {synced({4000, 1000}), 2.0, 1, 2.0}, // out of order: the latest start not after now
        {plain, 5.0, -1, kNone},
        {synced({}), 5.0, -1, kNone},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cad::lineAtTime(c.lyrics, c.seconds), c.expected) << c.seconds << " offset " << c.lyrics.offsetMs;
        const double next = cad::secondsToNextLine(c.lyrics, c.seconds);
        EXPECT_TRUE(std::isinf(c.next) ? std::isinf(next) : std::fabs(next - c.next) < 1e-9) << c.seconds << ": " << next;
    }
}

TEST(Lyrics, SavedFormReadsBackAndSitsBesideTheSong)
{
    const std::vector<Lyrics> all = {synced({0, 2500}, 250, "jpn"), {"", false, 0, {{-1, "Утро"}, {-1, ""}}}};
    const auto back = cad::structuredLyricsFromJson(json(cad::lyricsListToJson(all).dump(-1)));
    EXPECT_EQ(summary(back), summary(all));
    EXPECT_EQ(cad::lyricsPathFor("/d/offline/tr-1.mp3"), "/d/offline/tr-1.lyrics.json");
    EXPECT_EQ(cad::lyricsPathFor("/d/off.line/song"), "/d/off.line/song.lyrics.json");
    EXPECT_EQ(cad::lyricsPathFor("/d/.hidden"), "/d/.hidden.lyrics.json");
}

TEST(Lyrics, SystemLanguageComesFromTheLocale)
{
    const struct {
        const char* all;
        const char* messages;
        const char* lang;
        const char* expected;
    } cases[] = {
        {"", "", "de_DE.UTF-8", "de"},
        {"", "ja_JP.UTF-8", "de_DE.UTF-8", "ja"},
        {"pt_BR", "ja_JP", "de_DE", "pt"},
        {"", "", "C.UTF-8", "en"},
        {"", "", "", "en"},
    };
    for (const auto& c : cases) {
        setenv("LC_ALL", c.all, 1);
        setenv("LC_MESSAGES", c.messages, 1);
        setenv("LANG", c.lang, 1);
        EXPECT_EQ(cad::systemLanguage(), c.expected) << c.all << "|" << c.messages << "|" << c.lang;
    }
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    unsetenv("LANG");
}
