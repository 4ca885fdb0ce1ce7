#pragma once
// cad::NowPlayingPanel ("now-playing") — the full player: the cover, titles, format,
// the wavy seek bar with elapsed and total time, the transport (shuffle, previous,
// play, next, repeat, lyrics: shown in place of the cover), the favourite heart, the song's download button, the queue
// button and the volume slider. Holds no playback state: every frame it reads the
// player and re-sets its texts only when the player's changeCount moved.
//
//   auto panel = std::make_shared<NowPlayingPanel>();
//   panel->build();

#include "app/ui/widgets/cover.h"
#include "app/ui/widgets/lyrics_view.h"
#include "app/ui/widgets/transport.h"
#include "app/ui/widgets/wavy_seek.h"
#include "vell/button.h"
#include "vell/flex.h"
#include "vell/label.h"
#include "vell/slider.h"
#include "vell/widget_t.h"

#include <memory>
#include <optional>

namespace cad {

class NowPlayingPanel : public vell::ContainerT<NowPlayingPanel, vell::Flex> {
public:
    static constexpr const char* kTypeName = "now-playing";

    bool interactive() const override { return false; }
    void update(vell::UiContext& ctx, float dt) override;

    // Sizes the cover (or lyrics), the transport buttons, the volume slider and the
    // margins for a panel `width` wide.
    void fitWidth(float width);
    float fittedCover = 0;
    float fittedSlider = 0;
    TransportSizes fittedTransport;
    float fittedLyrics = 0;
    bool fittedCompact = false; // tighter gap and margins on a narrow panel
    // Creates the children once, right after construction.
    void build();
    // Shows the lyrics in place of the cover, or the cover again.
    void toggleLyrics();
    bool lyricsShown() const { return lyrics && lyrics->visible; }
    // Flips the current song's favourite everywhere and tells the server; a failure
    // only toasts. Nothing without a current song.
    void toggleFavourite();

    int lastChange = 0;
    bool shownBuffering = false; // the format line says "Buffering…"
    int rebuilds = 0; // how often the song's texts were re-set (tests)

    std::shared_ptr<Cover> cover;
    std::shared_ptr<vell::Label> title, subtitle, album, format, elapsed, total;
    std::shared_ptr<WavySeek> seek;
    std::shared_ptr<LyricsView> lyrics;
    std::shared_ptr<vell::Button> shuffle, repeat, favourite, lyricsButton;
    std::shared_ptr<vell::Glyph> repeatGlyph, heart;
    std::shared_ptr<vell::Widget> download, transport;
    std::shared_ptr<vell::Slider> volume;
    std::optional<PlayButton> play;

private:
    void showSong();
};

} // namespace cad
