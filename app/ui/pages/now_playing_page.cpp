#include "app/ui/pages/now_playing_page.h"

#include "app/player/player_core.h"
#include "app/ui/nav.h"
#include "app/ui/playback_view.h"
#include "vell/button.h"
#include "vell/pad_button.h"

namespace cad {
namespace {

constexpr int32_t kQueue = 0xE03D;
constexpr double kSeekStep = 10;

vell::Binding seekBinding(int32_t button, const char* label, double seconds)
{
    return { button, label,
        [seconds] {
            if (PlayerCore* player = activePlayer())
                player->seekBy(seconds);
        },
        false };
}

} // namespace

NowPlayingPage::NowPlayingPage()
    : Page("Now playing", false)
{
    panel = std::make_shared<NowPlayingPanel>();
    panel->build();
    root->add(panel);
    view->bindings.push_back(seekBinding(vell::L2, "Seek -10s", -kSeekStep));
    view->bindings.push_back(seekBinding(vell::R2, "Seek +10s", kSeekStep));
    std::weak_ptr<NowPlayingPanel> weakPanel = panel;
    view->bindings.push_back({ vell::Triangle, "Lyrics",
        [weakPanel] {
            if (auto shown = weakPanel.lock())
                shown->toggleLyrics();
        },
        true });
    auto queue = vell::iconButton(kQueue);
    queue->onClick = [] {
        if (auto& toggle = nav().toggleQueue)
            toggle();
    };
    if (view->top)
        view->top->addChild(queue);
}

} // namespace cad
