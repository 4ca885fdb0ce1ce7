#pragma once
// Waking the engine's frame loop from any thread.
//
// The loop sleeps in SDL_WaitEventTimeout while nothing is animating or due.
// Work finished on another thread (a network reply queued for the UI thread, a
// decoded image, the end of a track) calls wakeEngine() so the loop runs its
// next frame at once and picks the result up:
//
//   net.post(completion); vell::wakeEngine();   // from a worker thread
//
// Thread-safe and cheap: while one wake event is still queued, further calls
// push nothing. A call before Engine::init or after its shutdown does nothing.
#include <cstdint>

namespace vell {

void wakeEngine();

// The SDL event type of the wake event (0 before the engine registered it).
uint32_t wakeEventType();

namespace detail {
// Engine side: registers the event type (UI thread, at init), notes that the
// queued wake event was taken (so the next wakeEngine pushes again), and
// disables waking at shutdown.
void registerWakeEvent();
void wakeTaken();
void unregisterWakeEvent();
} // namespace detail

} // namespace vell
