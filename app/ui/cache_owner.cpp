#include "app/ui/cache_owner.h"

#include "app/core/platform.h"
#include "app/player/stream_cache_trim.h"
#include "app/ui/services.h"

namespace cad {
namespace {

std::string ownerPath()
{
    return platform::cacheDir() + "/cache-owner";
}

} // namespace

bool claimCaches(const std::string& url, const std::string& user)
{
    const std::string owner = url + "\n" + user + "\n";
    const std::string tracks = platform::cacheDir() + "/tracks";
    const std::string covers = platform::dataDir() + "/covers";
    const std::string previous = platform::readFile(ownerPath());
    if (previous == owner)
        return false;
    const bool cached = !platform::listFiles(tracks).empty() || !platform::listFiles(covers).empty();
    if (cached) {
        clearStreamCache(tracks);
        // Cover temporaries go too: a late cover of the old account then fails its rename.
        platform::removeTree(covers);
        platform::makeDirs(covers);
        services().covers.reset();
    }
    platform::makeDirs(platform::cacheDir());
    platform::writeFileAtomic(ownerPath(), owner);
    return cached;
}

} // namespace cad
