#include "app/net/lyrics.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <cstdlib>

namespace cad {
namespace {

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool blank(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); });
}

// ISO 639-2 codes (both the bibliographic and terminology forms) of common languages.
bool sameLanguage(const std::string& lang, const std::string& language)
{
    static const char* const kThreeLetter[][3] = {
        {"en", "eng", ""}, {"de", "deu", "ger"}, {"fr", "fra", "fre"}, {"es", "spa", ""},
        {"it", "ita", ""}, {"pt", "por", ""}, {"nl", "nld", "dut"}, {"sv", "swe", ""},
        {"pl", "pol", ""}, {"ru", "rus", ""}, {"ja", "jpn", ""}, {"zh", "zho", "chi"},
        {"ko", "kor", ""}, {"ar", "ara", ""}, {"el", "ell", "gre"}, {"fi", "fin", ""},
        {"no", "nor", ""}, {"da", "dan", ""}, {"tr", "tur", ""}, {"uk", "ukr", ""},
    };
    const std::string code = lower(lang);
    if (language.empty() || code.empty())
        return false;
    if (code == language || code.rfind(language + "-", 0) == 0 || code.rfind(language + "_", 0) == 0)
        return true;
    for (const auto& row : kThreeLetter) {
        if (language == row[0])
            return code == row[1] || (row[2][0] && code == row[2]);
    }
    return false;
}

} // namespace

std::vector<Lyrics> structuredLyricsFromJson(const Json& lyricsList)
{
    std::vector<Lyrics> all;
    for (const Json& item : lyricsList.get("structuredLyrics").items) {
        Lyrics lyrics;
        lyrics.lang = item.get("lang").asString("");
        lyrics.offsetMs = truncateToInt64(item.get("offset").asNumber(0));
        bool timed = false;
        for (const Json& line : item.get("line").items) {
            LyricLine entry;
            entry.text = line.get("value").asString("");
            if (line.has("start") && !line.get("start").isNull()) {
                entry.startMs = std::max<int64_t>(0, truncateToInt64(line.get("start").asNumber(0)));
                timed = true;
            }
            lyrics.lines.push_back(std::move(entry));
        }
        lyrics.synced = item.get("synced").asBool(false) && timed;
        if (!lyrics.lines.empty())
            all.push_back(std::move(lyrics));
    }
    return all;
}

std::vector<Lyrics> plainLyricsFromJson(const Json& lyrics)
{
    const std::string value = lyrics.get("value").asString("");
    if (blank(value))
        return {};
    Lyrics plain;
    size_t begin = 0;
    while (begin <= value.size()) {
        size_t end = value.find('\n', begin);
        if (end == std::string::npos)
            end = value.size();
        std::string line = value.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        plain.lines.push_back({-1, std::move(line)});
        begin = end + 1;
    }
    // Blank lines at the ends only push the text off centre.
    while (!plain.lines.empty() && blank(plain.lines.back().text))
        plain.lines.pop_back();
    while (!plain.lines.empty() && blank(plain.lines.front().text))
        plain.lines.erase(plain.lines.begin());
    return {plain};
}

int chooseLyrics(const std::vector<Lyrics>& all, const std::string& language)
{
    if (all.empty())
        return -1;
    const std::string wanted = lower(language);
    for (size_t i = 0; i < all.size(); ++i) {
        if (sameLanguage(all[i].lang, wanted))
            return static_cast<int>(i);
    }
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].synced)
            return static_cast<int>(i);
    }
    return 0;
}

int lineAtTime(const Lyrics& lyrics, double seconds)
{
    if (!lyrics.synced || !std::isfinite(seconds))
        return -1;
    const double nowMs = seconds * 1000.0;
    int best = -1;
    double bestStart = 0;
    for (size_t i = 0; i < lyrics.lines.size(); ++i) {
        const LyricLine& line = lyrics.lines[i];
        if (line.startMs < 0)
            continue;
        const double shown = static_cast<double>(line.startMs - lyrics.offsetMs);
        if (shown <= nowMs && (best < 0 || shown >= bestStart)) {
            best = static_cast<int>(i);
            bestStart = shown;
        }
    }
    return best;
}

double secondsToNextLine(const Lyrics& lyrics, double seconds)
{
    double next = std::numeric_limits<double>::infinity();
    if (!lyrics.synced || !std::isfinite(seconds))
        return next;
    for (const LyricLine& line : lyrics.lines) {
        const double shown = static_cast<double>(line.startMs - lyrics.offsetMs) / 1000.0;
        if (line.startMs >= 0 && shown > seconds)
            next = std::min(next, shown - seconds);
    }
    return next;
}

std::string systemLanguage()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value)
            continue;
        std::string code = value;
        code = code.substr(0, code.find_first_of("_.@-"));
        code = lower(code);
        if (code == "c" || code == "posix")
            return "en";
        return code;
    }
    return "en";
}

Json lyricsListToJson(const std::vector<Lyrics>& all)
{
    Json list = Json::array();
    for (const Lyrics& lyrics : all) {
        Json lines = Json::array();
        for (const LyricLine& line : lyrics.lines) {
            Json entry = Json::object();
            if (line.startMs >= 0)
                entry.set("start", static_cast<long long>(line.startMs));
            entry.set("value", line.text);
            lines.push(std::move(entry));
        }
        Json item = Json::object();
        item.set("lang", lyrics.lang)
            .set("synced", lyrics.synced)
            .set("offset", static_cast<long long>(lyrics.offsetMs))
            .set("line", std::move(lines));
        list.push(std::move(item));
    }
    Json root = Json::object();
    root.set("structuredLyrics", std::move(list));
    return root;
}

std::string lyricsPathFor(const std::string& songFile)
{
    const size_t slash = songFile.find_last_of('/');
    const size_t dot = songFile.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? songFile.substr(0, dot) : songFile) + ".lyrics.json";
}

} // namespace cad
