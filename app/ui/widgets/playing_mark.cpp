#include "app/ui/widgets/playing_mark.h"

#include "app/ui/playback_view.h"
#include "vell/renderer.h"
#include "vell/theme.h"
#include "vell/ui_context.h"

#include <cmath>

namespace cad {
namespace {

constexpr float kWidth = 28;
constexpr float kHeight = 24;
constexpr float kNumberSize = 15;
constexpr float kPhaseSpeed = 7;

} // namespace

vell::Size PlayingMark::measure(vell::UiContext&, float, float) { return { kWidth, kHeight }; }

void PlayingMark::update(vell::UiContext& ctx, float dt)
{
    const Song* song = playingSong();
    current = song && song->id == songId;
    playing = current && musicPlaying(*activePlayer());
    if (playing) {
        phase = std::fmod(phase + kPhaseSpeed * dt, 6.2831853f * 64);
        ctx.requestFrameIn(1.0 / 30); // the bars dance; the rest of a playing screen rarely moves
    }
}

float PlayingMark::barHeight(int i) const
{
    return playing ? 6 + 12 * (0.5f + 0.5f * std::sin(1.9f * float(i) + phase)) : 8;
}

void PlayingMark::draw(vell::UiContext& ctx)
{
    if (!ctx.renderer || !ctx.theme)
        return;
    vell::Renderer& r = *ctx.renderer;
    if (current) {
        const vell::Color color = ctx.theme->color("primary");
        const float bottom = rect.y + rect.h - 3;
        for (int i = 0; i < 3; ++i) {
            const float h = barHeight(i);
            r.fillRoundRect(rect.x + 3 + 7 * float(i), bottom - h, 4, h, 2, color);
        }
        return;
    }
    if (number <= 0)
        return;
    const std::string text = std::to_string(number);
    const vell::Size size = r.measureText(text, vell::kTextFont, kNumberSize);
    r.drawText(text, vell::kTextFont, kNumberSize, 0, rect.x + (rect.w - size.w) / 2, rect.y + (rect.h - size.h) / 2,
        ctx.theme->color("onSurfaceVariant"));
}

std::shared_ptr<PlayingMark> playingMark(std::string songId, int number)
{
    auto mark = std::make_shared<PlayingMark>();
    mark->songId = std::move(songId);
    mark->number = number;
    return mark;
}

} // namespace cad
