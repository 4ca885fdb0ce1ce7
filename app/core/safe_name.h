#pragma once
// File names made from what a server sends. Song ids and suffixes end up in file
// names (stream cache, offline songs); a hostile or broken server must never be
// able to point them outside their folder or make two songs share one file.
//
//   platform::cacheDir() + "/tracks/" + safeFileStem(song.id) + "_320.mp3"
//   platform::dataDir() + "/offline/" + safeFileStem(song.id) + "." + safeSuffix(song.suffix)

#include <string>

namespace cad {

// Ids of 1 to 100 ASCII letters, digits, '-' and '_' are kept as they are. Any other
// id (empty, too long, or with other bytes) becomes the id with every other byte
// replaced by '_' (cut to 64 bytes), '~' and 16 hex digits of a hash of the whole id:
// never equal to a kept id, and distinct for distinct ids in practice.
std::string safeFileStem(const std::string& id);

// The suffix when it is 1 to 10 ASCII letters or digits, else "audio".
std::string safeSuffix(const std::string& suffix);

} // namespace cad
