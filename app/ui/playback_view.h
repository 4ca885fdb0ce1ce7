#pragma once
// What the now-playing widgets read from the player each frame. They keep no
// playback state of their own: the player may be null (before the controller
// made it, and in tests), which reads as "nothing playing".
//
//   if (const Song* song = playingSong()) title->setText(song->title);
//   seek->value = progressFraction(*services().player);

#include "app/core/library.h"

#include <string>

namespace cad {

class PlayerCore;

// services().player, or null.
PlayerCore* activePlayer();
// The song at the player's index, or null.
const Song* playingSong();
// The music player's duration when known, else the song's, else 0.
double displayDuration(const PlayerCore& player);
// Position over the display duration, clamped to [0, 1]; 0 without a duration.
float progressFraction(const PlayerCore& player);
// "m:ss" under an hour, else "h:mm:ss"; "0:00" for 0 or less.
std::string timeText(double seconds);
// The music player is playing (not paused, loading or stopped).
bool musicPlaying(const PlayerCore& player);
// A stream is being fetched and not yet sounding, the file is being opened, or playback
// waits for data (buffering).
bool playbackBusy(const PlayerCore& player);
// What the mini player and the now-playing panel show while playback waits for data.
inline constexpr const char* kBufferingText = "Buffering\u2026";
// The fetch's share received in (0, 1], or a negative value when unknown (no size
// announced yet, nothing received, or the file only being opened).
float fetchShare(const PlayerCore& player);

} // namespace cad
