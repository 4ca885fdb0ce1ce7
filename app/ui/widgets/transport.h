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

struct PlayButton {
    // An "icon-filled" button `side` square holding the play glyph and a hidden ring
    // of `ringSize`; it toggles pause.
    PlayButton(float side, float ringSize);

    // Pause glyph while playing, play otherwise; the ring instead of the glyph while
    // busy, determinate when `determinate` and the fetch size is known.
    void follow(const PlayerCore* player, bool determinate);

    std::shared_ptr<vell::Button> button;
    std::shared_ptr<vell::Glyph> glyph;
    std::shared_ptr<vell::CircularProgress> ring;
};

} // namespace cad
