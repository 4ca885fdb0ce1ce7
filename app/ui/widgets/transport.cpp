#include "app/ui/widgets/transport.h"

#include "app/player/player_core.h"
#include "app/ui/playback_view.h"

#include <cmath>

namespace cad {
namespace {

constexpr int32_t kPlay = 0xE037;
constexpr int32_t kPause = 0xE034;
constexpr TransportSizes kFullTransport {};
constexpr TransportSizes kSmallestTransport { 48, 56, 4 };

void setSide(vell::Widget& widget, float side)
{
    widget.style().width = vell::SizeSpec::fixed(side);
    widget.style().height = vell::SizeSpec::fixed(side);
    widget.markStyleDirty();
}

} // namespace

float transportWidth(const TransportSizes& sizes, int buttons)
{
    return float(buttons) * (sizes.button + sizes.gap) + sizes.play;
}

TransportSizes fitTransport(float width, int buttons)
{
    const float full = transportWidth(kFullTransport, buttons);
    const float smallest = transportWidth(kSmallestTransport, buttons);
    if (width >= full)
        return kFullTransport;
    if (width <= smallest)
        return kSmallestTransport;
    const float t = (width - smallest) / (full - smallest);
    auto mix = [t](float a, float b) { return std::floor(a + (b - a) * t); };
    return { mix(kSmallestTransport.button, kFullTransport.button), mix(kSmallestTransport.play, kFullTransport.play),
        mix(kSmallestTransport.gap, kFullTransport.gap) };
}

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
    , baseSide(side)
    , ringSize(ringSize)
{
    ring->diameter = ringSize;
    ring->visible = false;
    button->add({ glyph, ring });
}

void PlayButton::resize(float side)
{
    setSide(*button, side);
    ring->diameter = ringSize * side / baseSide;
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
