#include "app/main/single_instance.h"

#include "app/core/instance_lock.h"
#include "app/core/platform.h"
#include "app/player/mpris_service.h"

#include <SDL.h>

#include <cstdio>

namespace cad {

namespace {

// The running instance writes its note once its media controls are up, a moment
// after it took the lock.
std::string awaitNote(const std::string& dir)
{
    for (int tries = 0; tries < 50; ++tries) {
        std::string note = InstanceLock::readNote(dir);
        while (!note.empty() && (note.back() == '\n' || note.back() == ' '))
            note.pop_back();
        if (!note.empty())
            return note;
        SDL_Delay(100);
    }
    return {};
}

} // namespace

int claimDataFolder(InstanceLock& lock)
{
    const std::string dir = platform::dataDir();
    switch (lock.acquire(dir)) {
    case InstanceLock::Acquired:
        return -1;
    case InstanceLock::Failed:
        // No worse than before the lock existed: a read-only or odd filesystem still runs.
        std::fprintf(stderr, "sonaria: %s; not checking for another running Sonaria\n", lock.error.c_str());
        return -1;
    case InstanceLock::Held:
        break;
    }
    const std::string note = awaitNote(dir);
    std::string error = note.empty() ? "it is still starting" : "it has no media controls";
    if (!note.empty() && note != kNoBusNote && MprisService::raise(note, error)) {
        std::printf("Sonaria is already running on %s; showing its window.\n", dir.c_str());
        return 0;
    }
    std::fprintf(stderr, "Sonaria is already running on %s and could not be asked to show its window (%s).\n",
                 dir.c_str(), error.c_str());
    return 1;
}

} // namespace cad
