#include "app/player/stream_cache_trim.h"

#include "app/core/platform.h"

#include <algorithm>
#include <vector>

namespace cad {

bool isStreamCacheTemporary(const std::string& path)
{
    return path.ends_with(".part") || path.ends_with(".fetch");
}

int trimStreamCache(const std::string& directory, int64_t limit, const std::string& keep)
{
    std::vector<platform::FileEntry> files;
    int64_t total = 0;
    for (auto& entry : platform::listFiles(directory)) {
        if (!entry.regular)
            continue;
        total += entry.size;
        const bool protectedFile = !keep.empty() && (entry.path == keep || isStreamCacheTemporary(entry.path));
        if (!protectedFile)
            files.push_back(std::move(entry));
    }
    if (total <= limit)
        return 0;
    std::stable_sort(files.begin(), files.end(),
        [](const platform::FileEntry& a, const platform::FileEntry& b) { return a.modified < b.modified; });
    int removed = 0;
    for (const auto& file : files) {
        if (total <= limit)
            break;
        // A file that cannot be removed still counts as gone: the trim never loops.
        if (platform::removeFile(file.path))
            ++removed;
        total -= file.size;
    }
    return removed;
}

} // namespace cad

namespace cad {

int clearStreamCache(const std::string& directory)
{
    int removed = 0;
    for (const auto& entry : platform::listFiles(directory)) {
        if (entry.regular && isStreamCacheTemporary(entry.path))
            continue;
        if (entry.regular ? platform::removeFile(entry.path) : platform::removeTree(entry.path))
            ++removed;
    }
    platform::makeDirs(directory);
    return removed;
}

} // namespace cad
