#pragma once
// Trim of the stream cache: the oldest files go until the cache fits. Runs at start-up
// and, with the file just fetched kept, after every stream fetch of a long session.

#include <cstdint>
#include <string>

namespace cad {

inline constexpr int64_t kStreamCacheLimit = 838860800; // 800 MiB

// Deletes regular files of `directory` (not recursive), oldest last-write time
// first, until their total size is at most `limit`. Errors are ignored. Returns
// how many files were deleted. When `keep` is set (a session with transfers
// running), that file and every temporary (see isStreamCacheTemporary) still count
// toward the total but are never deleted.
int trimStreamCache(const std::string& directory, int64_t limit = kStreamCacheLimit,
                    const std::string& keep = {});

// A file a transfer is still writing or has not yet put in place: a transfer's
// ".part", or a ".fetch" left in the cache by earlier versions.
bool isStreamCacheTemporary(const std::string& path);

} // namespace cad

namespace cad {

// Empties the stream cache for "Clear stream cache": deletes every finished file
// and subfolder of `directory` but leaves the folder and the temporaries of the
// fetches still running, so the song being fetched still plays. Returns how many
// entries were deleted.
int clearStreamCache(const std::string& directory);

} // namespace cad
