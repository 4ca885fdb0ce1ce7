#pragma once
// The account the stream cache and the cover cache belong to. Song and cover ids
// are only unique on one server, so after signing in to another server or as
// another user those caches are emptied: an id existing on both must not play the
// old server's song or show its cover. Downloads stay (they are listed by the
// offline library with their own records).
//
//   claimCaches(url, user);   // on every successful sign-in, before anything is fetched

#include <string>

namespace cad {

// Records url + user as the owner of the caches (the file "cache-owner" in the cache
// directory). When the previous owner differs, or is unknown while a cache holds
// files, it first deletes the finished files of cacheDir()/tracks and everything in
// dataDir()/covers and resets cad::Covers. Returns whether the caches were emptied.
bool claimCaches(const std::string& url, const std::string& user);

} // namespace cad
