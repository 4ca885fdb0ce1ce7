#include "app/ui/storage_text.h"

#include "app/core/platform.h"

#include <cstdio>

namespace cad {

std::string formatSize(int64_t bytes)
{
    char text[48];
    if (bytes < 1024) {
        std::snprintf(text, sizeof text, "%lld B", (long long)bytes);
        return text;
    }
    static const char* const kUnits[] = { "KB", "MB", "GB", "TB" };
    double value = double(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

int64_t offlineBytes(const Store& store)
{
    int64_t total = 0;
    for (const OfflineEntry& entry : store.offline)
        total += platform::fileSize(entry.file);
    return total;
}

namespace {

// The depth limit keeps a link loop from recursing forever.
int64_t treeBytes(const std::string& directory, int depth)
{
    int64_t total = 0;
    for (const platform::FileEntry& entry : platform::listFiles(directory)) {
        if (entry.regular)
            total += entry.size;
        else if (depth < 16)
            total += treeBytes(entry.path, depth + 1);
    }
    return total;
}

} // namespace

int64_t treeBytes(const std::string& directory)
{
    return treeBytes(directory, 0);
}

std::string downloadsLine(const Store& store)
{
    return "Downloads: " + std::to_string(store.offline.size()) + " songs · " + formatSize(offlineBytes(store));
}

std::string streamCacheLine()
{
    return "Stream cache: " + formatSize(treeBytes(platform::cacheDir() + "/tracks"));
}

std::string connectionLine(const Store& store, bool online)
{
    const char* state = online ? "connected" : store.offlineForced ? "offline mode" : "unreachable";
    return store.user + " @ " + store.url + "  ·  " + state;
}

std::string scrobblesLine(const Store& store)
{
    const size_t n = store.pendingScrobbles.size();
    return n >= 1 ? std::to_string(n) + " plays waiting to be scrobbled" : "All plays are scrobbled";
}

} // namespace cad
