#include "vell/wake.h"

#include <SDL.h>

#include <atomic>

namespace vell {
namespace {

std::atomic<uint32_t> g_type{0};
std::atomic<bool> g_pending{false};

} // namespace

uint32_t wakeEventType() { return g_type.load(); }

void wakeEngine() {
    const uint32_t type = g_type.load();
    if (type == 0 || g_pending.exchange(true))
        return;
    SDL_Event event{};
    event.type = type;
    if (SDL_PushEvent(&event) != 1)
        g_pending.store(false);
}

namespace detail {

void registerWakeEvent() {
    if (g_type.load() != 0)
        return;
    const Uint32 type = SDL_RegisterEvents(1);
    if (type != Uint32(-1))
        g_type.store(type);
    g_pending.store(false);
}

void wakeTaken() { g_pending.store(false); }

void unregisterWakeEvent() {
    g_type.store(0);
    g_pending.store(false);
}

} // namespace detail
} // namespace vell
