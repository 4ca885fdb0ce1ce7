#pragma once
#include "app/core/store.h"

namespace cad {

// The program is online when the last ping succeeded, offline mode is not
// forced and the credentials are complete.
inline bool isOnline(bool reachable, const Store& store)
{
    return reachable && !store.offlineForced && store.hasCredentials();
}

} // namespace cad
