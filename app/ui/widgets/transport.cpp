#include "app/ui/widgets/transport.h"

#include "app/player/player_core.h"
#include "app/ui/playback_view.h"

namespace cad {
namespace {

constexpr int32_t kPlay = 0xE037;
constexpr int32_t kPause = 0xE034;

} // namespace

std::shared_ptr<vell::Button> playerButton(int32_t glyph, float side, std::function<void(PlayerCore&)> action,
    const std::string& className)
{
    auto button = vell::iconButton(glyph, className);
    if (side > 0) {
        button->style().width = vell::SizeSpec::fixed(side);
        button->style().height = vell::SizeSpec::fixed(side);
    }
    button->onClick = [action = std::move(action)] {
        if (PlayerCore* player = activePlayer())
            action(*player);
    };
    return button;
}

PlayButton::PlayButton(float side, float ringSize)
    : button(playerButton(0, side, [](PlayerCore& p) { p.togglePause(); }, "icon-filled"))
    , glyph(vell::glyph(kPlay))
    , ring(vell::circularProgress())
{
    ring->diameter = ringSize;
    ring->visible = false;
    button->add({ glyph, ring });
}

void PlayButton::follow(const PlayerCore* player, bool determinate)
{
    const bool busy = player && playbackBusy(*player);
    glyph->setCodePoint(player && musicPlaying(*player) ? kPause : kPlay);
    glyph->visible = !busy;
    ring->visible = busy;
    if (!busy)
        return;
    const float share = determinate ? fetchShare(*player) : -1;
    ring->indeterminate = share < 0;
    if (share >= 0)
        ring->progress = share;
}

} // namespace cad
