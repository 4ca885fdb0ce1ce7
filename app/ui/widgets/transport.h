#pragma once
// The transport buttons the now-playing panel and the mini player share: icon
// buttons that call a player operation (nothing without a player), and the play
// button whose glyph gives way to a progress ring while a song is fetched or opened.
//
//   row->add(playerButton(0xE044, 56, [](PlayerCore& p) { p.next(); }));
//   PlayButton play(76, 48);
//   ... each frame: play.follow(player);

#include "vell/button.h"
#include "vell/circular_progress.h"
#include "vell/glyph.h"

#include <functional>
#include <memory>
#include <string>

namespace cad {

class PlayerCore;

// An icon button `side` px square (0 leaves the size to the style) running
// `action` on the player.
std::shared_ptr<vell::Button> playerButton(int32_t glyph, float side, std::function<void(PlayerCore&)> action,
    const std::string& className = "icon");

// Sizes of a transport row: `buttons` icon buttons of side `button` around one
// play button of side `play`, `gap` apart.
struct TransportSizes {
    float button = 56, play = 76, gap = 10;
    bool operator==(const TransportSizes&) const = default;
};

// Width of that row.
float transportWidth(const TransportSizes& sizes, int buttons);

// The sizes for a row of `buttons` icon buttons and the play button in `width`:
// the full sizes when they fit, else shrunk evenly down to the smallest buttons
// that still take a finger (48, play 56, gap 4), which wider rows than `width`
// may need.
TransportSizes fitTransport(float width, int buttons);

struct PlayButton {
    // An "icon-filled" button `side` square holding the play glyph and a hidden ring
    // of `ringSize`; it toggles pause.
    PlayButton(float side, float ringSize);

    // Pause glyph while playing, play otherwise; the ring instead of the glyph while
    // busy, determinate when `determinate` and the fetch size is known.
    void follow(const PlayerCore* player, bool determinate);
    // Resizes the button to `side`, its ring with it.
    void resize(float side);

    std::shared_ptr<vell::Button> button;
    std::shared_ptr<vell::Glyph> glyph;
    std::shared_ptr<vell::CircularProgress> ring;
    float baseSide, ringSize;
};

} // namespace cad
