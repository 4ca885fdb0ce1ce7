#include "app/core/store.h"

#include "app/core/platform.h"

namespace cad {

namespace {

Json readJsonFile(const std::string& path)
{
    std::string text = platform::readFile(path);
    bool ok = false;
    return parse(text, ok);
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
}

void Store::loadOffline()
{
    offline.clear();
    Json list = readJsonFile(platform::dataDir() + "/offline.json");
    for (const Json& item : list.items) {
        OfflineEntry entry{ songFromJson(item.get("song")), idText(item.get("file")) };
        if (!entry.song.id.empty() && platform::fileExists(entry.file))
            offline.push_back(std::move(entry));
    }
}

void Store::loadScrobbles()
{
    pendingScrobbles.clear();
    Json list = readJsonFile(platform::dataDir() + "/scrobbles.json");
    for (const Json& item : list.items) {
        const Json& time = item.get("time");
        pendingScrobbles.push_back({ idText(item.get("id")), truncateToInt64(time.asNumber(0)) });
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
        .set("insecure", insecure);
    return config;
}

bool Store::save() const
{
    std::string text;
    settingsJson().dump(text, 2);
    return platform::writeFileAtomic(platform::dataDir() + "/config.json", text);
}

} // namespace cad
