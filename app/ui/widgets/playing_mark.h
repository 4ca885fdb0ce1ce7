#pragma once
// cad::PlayingMark ("playing-mark") — the first column of song and queue rows: three
// bouncing bars while the row's song is the one playing (still bars while paused),
// else the track number (none for 0). Reads the player every frame.
//
//   row->add(playingMark(song.id, numbered ? song.track : 0));

#include "vell/widget_t.h"

#include <memory>
#include <string>

namespace cad {

class PlayingMark : public vell::WidgetT<PlayingMark, vell::Widget> {
public:
    static constexpr const char* kTypeName = "playing-mark";

    bool interactive() const override { return false; }
    vell::Size measure(vell::UiContext& ctx, float availW, float availH) override;
    void update(vell::UiContext& ctx, float dt) override;
    void draw(vell::UiContext& ctx) override;
    vell::Widget* hitTest(vell::Point) override { return nullptr; }

    // Bar i's height this frame.
    float barHeight(int i) const;

    std::string songId;
    int number = 0;
    bool current = false;
    bool playing = false;
    float phase = 0;
};

std::shared_ptr<PlayingMark> playingMark(std::string songId, int number);

} // namespace cad
