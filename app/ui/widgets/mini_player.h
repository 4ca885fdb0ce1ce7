#pragma once
// cad::MiniPlayer ("mini-player") — the strip at the foot of the pages: cover,
// title and "artist · album" (pressing them opens Now playing), a wavy progress
// bar, previous, play/pause and next. Hidden while nothing is current. Reads the
// player every frame and re-sets its texts only when changeCount moved.
//
//   auto mini = std::make_shared<MiniPlayer>();
//   mini->build();
//   bottomBar->addChild(mini);

#include "app/ui/widgets/cover.h"
#include "app/ui/widgets/transport.h"
#include "vell/flex.h"
#include "vell/label.h"
#include "vell/progress_bar.h"
#include "vell/widget_t.h"

#include <memory>
#include <optional>

namespace cad {

// The mini player's bar: it follows playback in whole device pixels, and its wave
// travels with the end of the fill, so it is redrawn only when that moves by a pixel.
class MiniProgress : public vell::WidgetT<MiniProgress, vell::ProgressBar> {
public:
    static constexpr const char* kTypeName = "progress";
    void update(vell::UiContext& ctx, float dt) override;
    bool moving = false;
    double duration = 0; // seconds the whole bar stands for: a playing bar asks for its next pixel's frame
};

class MiniPlayer : public vell::ContainerT<MiniPlayer, vell::Flex> {
public:
    static constexpr const char* kTypeName = "mini-player";

    void update(vell::UiContext& ctx, float dt) override;
    // Creates the children once, right after construction.
    void build();

    int lastChange = 0;
    bool shownBuffering = false; // the caption says "Buffering…"
    int rebuilds = 0; // how often the song's texts were re-set (tests)

    std::shared_ptr<vell::Button> open;
    std::shared_ptr<Cover> cover;
    std::shared_ptr<vell::Label> title, subtitle;
    std::shared_ptr<MiniProgress> progress;
    std::optional<PlayButton> play;
};

std::shared_ptr<MiniPlayer> miniPlayer();

} // namespace cad
