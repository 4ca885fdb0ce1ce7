#pragma once
// cad::LyricsView ("lyrics") — the current song's lyrics on the now-playing page. Synced
// lyrics follow the music: the current line is highlighted and kept in the middle of the
// view. Unsynced lyrics are scrollable text. Otherwise it says "Loading lyrics",
// "No lyrics for this song" or why they failed, with a Retry button. Lyrics come from
// services().lyrics, asked only while the view is shown.
//
//   auto lyrics = std::make_shared<LyricsView>();
//   lyrics->build();

#include "vell/box.h"
#include "vell/button.h"
#include "vell/flex.h"
#include "vell/label.h"
#include "vell/scroll_view.h"
#include "vell/widget_t.h"

#include <memory>
#include <string>
#include <vector>

namespace cad {

class LyricsView : public vell::ContainerT<LyricsView, vell::Flex> {
public:
    static constexpr const char* kTypeName = "lyrics";

    bool interactive() const override { return false; }
    void update(vell::UiContext& ctx, float dt) override;

    // Creates the children once, right after construction.
    void build();

    std::shared_ptr<vell::Label> status;
    std::shared_ptr<vell::Button> retry;
    std::shared_ptr<vell::ScrollView> scroll;
    std::shared_ptr<vell::Box> text;
    std::vector<std::shared_ptr<vell::Label>> lines;
    int currentLine = -1; // highlighted line, -1 for none

private:
    void show(const std::string& songId, int cacheChange);
    void highlight(int line);

    std::string m_songId;
    int m_cacheChange = -1;
    bool m_synced = false;
};

} // namespace cad
