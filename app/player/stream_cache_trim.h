#pragma once
// Start-up trim of the stream cache: the oldest files go until the cache fits.

#include <cstdint>
#include <string>

namespace cad {

inline constexpr int64_t kStreamCacheLimit = 838860800; // 800 MiB

// Deletes regular files of `directory` (not recursive), oldest last-write time
// first, until their total size is at most `limit`. Errors are ignored. Returns
// how many files were deleted.
int trimStreamCache(const std::string& directory, int64_t limit = kStreamCacheLimit);

} // namespace cad
