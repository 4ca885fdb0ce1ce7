#pragma once
// The display texts of library records, shared by rows, tiles and headers.
// Pure functions of their arguments.
//
//   songLength(245)        -> "4:05"
//   formatLength(3660)     -> "1 h 1 min"
//   albumCaption(album)    -> "Aurora Lane · 2019"

#include "app/core/library.h"

#include <string>

namespace cad {

// Joins parts of a caption.
inline constexpr const char* kSeparator = " \xC2\xB7 ";

// A song's length: "0:00" for 0 or less, "m:ss" under an hour, else "h:mm:ss".
std::string songLength(int seconds);
// A total length: "N min" under an hour (whole minutes), else "H h M min".
std::string formatLength(long long seconds);
// "<artist> · <album>", leaving out an empty part and its separator.
std::string songCaption(const Song& song);
// "<artist> · <year>", the year only when positive.
std::string albumCaption(const Album& album);
// "1 album", "0 albums", "12 albums".
std::string albumCount(int count);
// "1 song", "3 songs".
std::string songCount(size_t count);

} // namespace cad
