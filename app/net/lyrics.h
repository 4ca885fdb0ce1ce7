#pragma once
// Song lyrics as servers send them, and the rules for showing them. Pure functions.
//
// OpenSubsonic servers answer getLyricsBySongId with "lyricsList": {"structuredLyrics": [...]},
// each entry {lang, synced, offset (ms), line: [{start (ms, synced only), value}]}; older ones
// answer getLyrics with "lyrics": {"value": "plain text"}. Both decode to a list of Lyrics:
//
//   std::vector<Lyrics> all = structuredLyricsFromJson(resp.get("lyricsList"));
//   int pick = chooseLyrics(all, systemLanguage());       // -1 when there are none
//   int line = lineAtTime(all[pick], player.position());  // -1 before the first line
#include "app/core/json.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cad {

struct LyricLine {
    int64_t startMs = -1; // -1: the line has no time
    std::string text;
};

struct Lyrics {
    std::string lang;     // as sent: "eng", "ja", "xxx" (unknown) ...
    bool synced = false;  // lines carry times; false when none of them does
    int64_t offsetMs = 0; // positive shows every line that much sooner
    std::vector<LyricLine> lines;
};

// The entries of a "lyricsList" object. Missing members give defaults; an entry without
// lines is dropped (it has nothing to show).
std::vector<Lyrics> structuredLyricsFromJson(const Json& lyricsList);
// A "lyrics" object of getLyrics: one unsynced entry, its "value" split at line ends;
// none when the value is missing or blank.
std::vector<Lyrics> plainLyricsFromJson(const Json& lyrics);

// The entry to show: the first whose lang matches `language` (ISO 639-1 such as "en",
// matched against two- and three-letter codes and tags like "en-US"), else the first
// synced one, else the first; -1 for an empty list.
int chooseLyrics(const std::vector<Lyrics>& all, const std::string& language);

// The line to highlight at `seconds` of playback: the timed line with the latest
// start - offset not after that moment (the later one of equal times); -1 before the first
// line, for unsynced lyrics and for lines without times.
int lineAtTime(const Lyrics& lyrics, double seconds);
// Seconds from `seconds` of playback until the next timed line starts; infinite when none
// follows (or the lyrics are not synced).
double secondsToNextLine(const Lyrics& lyrics, double seconds);

// The user's language from LC_ALL, LC_MESSAGES or LANG ("de_DE.UTF-8" gives "de"); "en"
// when none is set or it is "C"/"POSIX".
std::string systemLanguage();

// The saved form beside a download (a "lyricsList" object, read back with
// structuredLyricsFromJson), and where it goes: the song file's path with its extension
// replaced by ".lyrics.json".
Json lyricsListToJson(const std::vector<Lyrics>& all);
std::string lyricsPathFor(const std::string& songFile);

} // namespace cad
