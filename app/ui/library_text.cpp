#include "app/ui/library_text.h"

#include <cstdio>

namespace cad {
namespace {

// Joins two parts with the separator, leaving out empty ones.
std::string joined(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return a + b;
    return a + kSeparator + b;
}

} // namespace

std::string songLength(int seconds)
{
    if (seconds <= 0)
        return "0:00";
    char text[32];
    if (seconds < 3600)
        std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
    else
        std::snprintf(text, sizeof text, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

std::string formatLength(long long seconds)
{
    seconds = std::max(0LL, seconds);
    if (seconds < 3600)
        return std::to_string(seconds / 60) + " min";
    return std::to_string(seconds / 3600) + " h " + std::to_string(seconds / 60 % 60) + " min";
}

std::string songCaption(const Song& song)
{
    return joined(song.artist, song.album);
}

std::string albumCaption(const Album& album)
{
    return joined(album.artist, album.year > 0 ? std::to_string(album.year) : std::string());
}

std::string albumCount(int count)
{
    return std::to_string(count) + (count == 1 ? " album" : " albums");
}

std::string songCount(size_t count)
{
    return std::to_string(count) + (count == 1 ? " song" : " songs");
}

} // namespace cad
