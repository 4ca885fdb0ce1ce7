#include "app/ui/library_text.h"

#include <gtest/gtest.h>

namespace {

TEST(LibraryText, LengthsCountsAndCaptions)
{
    const std::pair<int, const char*> lengths[] = { { -5, "0:00" }, { 0, "0:00" }, { 59, "0:59" }, { 61, "1:01" },
        { 3599, "59:59" }, { 3600, "1:00:00" }, { 3725, "1:02:05" } };
    for (const auto& [seconds, text] : lengths)
        EXPECT_EQ(cad::songLength(seconds), text) << seconds;
    const std::pair<long long, const char*> totals[] = { { 59, "0 min" }, { 245, "4 min" }, { 3599, "59 min" },
        { 3600, "1 h 0 min" }, { 3660, "1 h 1 min" } };
    for (const auto& [seconds, text] : totals)
        EXPECT_EQ(cad::formatLength(seconds), text) << seconds;
    EXPECT_EQ(cad::albumCount(0) + "|" + cad::albumCount(1) + "|" + cad::songCount(1) + "|" + cad::songCount(3),
        "0 albums|1 album|1 song|3 songs");

    cad::Song song;
    song.album = "Deep Currents";
    EXPECT_EQ(cad::songCaption(song), "Deep Currents");
    song.artist = "The Basslines";
    EXPECT_EQ(cad::songCaption(song), "The Basslines \xC2\xB7 Deep Currents");
    song.album.clear();
    EXPECT_EQ(cad::songCaption(song), "The Basslines");

    cad::Album album;
    album.artist = "Aurora Lane";
    EXPECT_EQ(cad::albumCaption(album), "Aurora Lane");
    album.year = 2019;
    EXPECT_EQ(cad::albumCaption(album), "Aurora Lane \xC2\xB7 2019");
    album.artist.clear();
    album.year = 2001;
    EXPECT_EQ(cad::albumCaption(album), "2001");
}

} // namespace
