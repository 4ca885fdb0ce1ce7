#pragma once
// When a page that was loaded earlier reloads on being shown again.

#include <cstdint>

namespace cad {

enum class RefreshRule {
    Never,          // detail pages: loaded once by start()
    OnlineChanged,  // artists, playlists, albums
    Stale,          // home: after a minute, or when the online state changed
    Always,         // favourites
};

// Milliseconds after which the home page counts as stale.
inline constexpr uint32_t kStaleAfterMs = 60000;

// `now` and `loadedAt` are tick counts in milliseconds; their difference is taken
// unsigned, so a wrapped counter still gives the elapsed time.
bool shouldRefreshOnShow(RefreshRule rule, uint32_t now, uint32_t loadedAt, bool loadedOnline, bool online);

} // namespace cad
