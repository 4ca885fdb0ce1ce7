#pragma once
// The storage and connection texts of the settings and offline pages.
//
//   formatSize(1536)          // "1.5 KB"
//   downloadsLine(store)      // "Downloads: 12 songs · 84.3 MB"

#include "app/core/store.h"

#include <cstdint>
#include <string>

namespace cad {

// "%lld B" below 1024, else "%.1f KB|MB|GB|TB" (units stop at TB).
std::string formatSize(int64_t bytes);
// Total size on disk of the library's files (missing files count 0).
int64_t offlineBytes(const Store& store);
// Size of everything below `directory`, subfolders included; 0 when missing.
int64_t treeBytes(const std::string& directory);

// "Downloads: N songs · size"
std::string downloadsLine(const Store& store);
// "Stream cache: size" of cacheDir()/tracks.
std::string streamCacheLine();
// "user @ url  ·  connected | offline mode | unreachable"
std::string connectionLine(const Store& store, bool online);
// "N plays waiting to be scrobbled" or "All plays are scrobbled".
std::string scrobblesLine(const Store& store);

} // namespace cad
