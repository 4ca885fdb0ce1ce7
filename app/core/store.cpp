#include "app/core/store.h"

#include "app/core/platform.h"

#include <utility>

namespace cad {

namespace {

Json readJsonFile(const std::string& path)
{
    std::string text = platform::readFile(path);
    bool ok = false;
    return parse(text, ok);
}

// The elements of the array stored in `path`. A missing or malformed file, or one that
// holds anything but an array, gives none (an object's members are not entries).
std::vector<Json> readJsonArray(const std::string& path)
{
    Json value = readJsonFile(path);
    if (!value.isArray())
        return {};
    return std::move(value.items);
}

// A string as is, a number as its integer text, anything else empty.
std::string idText(const Json& value)
{
    return value.asString("");
}

} // namespace

void Store::load()
{
    platform::makeDirs(platform::dataDir());
    platform::makeDirs(platform::dataDir() + "/offline");
    platform::makeDirs(platform::dataDir() + "/covers");
    platform::makeDirs(platform::cacheDir() + "/tracks");
    readSettings(readJsonFile(platform::dataDir() + "/config.json"));
    loadOffline();
    loadScrobbles();
}

void Store::readSettings(const Json& config)
{
    url = config.get("url").asString("");
    user = config.get("user").asString("");
    salt = config.get("salt").asString("");
    token = config.get("token").asString("");
    scrobble = config.get("scrobble").asBool(true);
    streamKbps = truncateToInt32(config.get("streamKbps").asNumber(320));
    volume = static_cast<float>(config.get("volume").asNumber(0.8));
    dark = config.get("dark").asBool(true);
    palette = truncateToInt32(config.get("palette").asNumber(0));
    offlineForced = config.get("offlineForced").asBool(false);
    insecure = config.get("insecure").asBool(false);
    uiScale = truncateToInt32(config.get("uiScale").asNumber(0));
    syncPlayQueue = config.get("syncPlayQueue").asBool(true);
    const std::string mode = config.get("normalisation").asString("track");
    normalisation = mode == "off" ? NormaliseOff : mode == "album" ? NormaliseAlbum : NormaliseTrack;
}

void Store::loadOffline()
{
    offline.clear();
    downloads.clear();
    for (const Json& item : readJsonArray(platform::dataDir() + "/offline.json")) {
        if (item.has("download")) {
            SavedDownload saved{ songFromJson(item.get("download")), item.get("failed").asBool(false),
                item.get("error").asString("") };
            if (!saved.song.id.empty())
                downloads.push_back(std::move(saved));
            continue;
        }
        OfflineEntry entry{ songFromJson(item.get("song")), idText(item.get("file")) };
        if (!entry.song.id.empty() && platform::fileExists(entry.file))
            offline.push_back(std::move(entry));
    }
}

void Store::loadScrobbles()
{
    pendingScrobbles.clear();
    for (const Json& item : readJsonArray(platform::dataDir() + "/scrobbles.json")) {
        const Json& time = item.get("time");
        pendingScrobbles.push_back({ idText(item.get("id")), truncateToInt64(time.asNumber(0)),
            item.get("account").asString("") });
    }
}

Json Store::settingsJson() const
{
    Json config = Json::object();
    config.set("url", url)
        .set("user", user)
        .set("salt", salt)
        .set("token", token)
        .set("scrobble", scrobble)
        .set("streamKbps", streamKbps)
        .set("volume", static_cast<double>(volume))
        .set("dark", dark)
        .set("palette", palette)
        .set("offlineForced", offlineForced)
        .set("insecure", insecure)
        .set("uiScale", uiScale)
        .set("syncPlayQueue", syncPlayQueue)
        .set("normalisation", normalisation == NormaliseOff     ? "off"
                              : normalisation == NormaliseAlbum ? "album"
                                                                : "track");
    return config;
}

void Store::addOffline(const Song& song, const std::string& file)
{
    std::erase_if(offline, [&](const OfflineEntry& entry) { return entry.song.id == song.id; });
    offline.push_back({ song, file });
    ++offlineCount;
    saveOffline();
}

const OfflineEntry* Store::offlineEntry(const std::string& id) const
{
    for (const OfflineEntry& entry : offline) {
        if (entry.song.id == id)
            return &entry;
    }
    return nullptr;
}

bool Store::saveOffline() const
{
    Json list = Json::array();
    for (const OfflineEntry& entry : offline) {
        Json item = Json::object();
        item.set("song", songToJson(entry.song)).set("file", entry.file);
        list.push(std::move(item));
    }
    for (const SavedDownload& saved : downloads) {
        Json item = Json::object();
        item.set("download", songToJson(saved.song));
        if (saved.failed)
            item.set("failed", true).set("error", saved.error);
        list.push(std::move(item));
    }
    std::string text;
    list.dump(text, -1);
    return platform::writeFileAtomic(platform::dataDir() + "/offline.json", text);
}

bool Store::saveScrobbles() const
{
    Json list = Json::array();
    for (const PendingScrobble& entry : pendingScrobbles) {
        Json item = Json::object();
        item.set("id", entry.id).set("time", static_cast<double>(entry.time));
        if (!entry.account.empty())
            item.set("account", entry.account);
        list.push(std::move(item));
    }
    std::string text;
    list.dump(text, -1);
    return platform::writeFileAtomic(platform::dataDir() + "/scrobbles.json", text);
}

bool Store::save() const
{
    std::string text;
    settingsJson().dump(text, 2);
    return platform::writeFileAtomic(platform::dataDir() + "/config.json", text);
}

} // namespace cad
