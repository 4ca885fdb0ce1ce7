#pragma once
// cad::SettingsPage — the "Settings" navigation page: appearance, playback,
// storage, connection and about cards. Every control writes the store at once and
// saves config.json at once (the volume is saved with the next change or at
// exit). The storage, connection and scrobble lines are recomputed on every show.

#include "app/ui/page.h"

#include <memory>
#include <string>

namespace vell {
class Button;
class Label;
}

namespace cad {

class SettingsPage : public Page {
public:
    SettingsPage();

    void start() override;
    // Fills the downloads, stream cache, connection and scrobble lines.
    void updateStorage();

    std::shared_ptr<vell::Label> downloadsLabel;
    std::shared_ptr<vell::Label> cacheLabel;
    std::shared_ptr<vell::Label> connectionLabel;
    std::shared_ptr<vell::Label> scrobbleLabel;

private:
    // Its action needs the page's weak reference, which exists from start() on.
    std::shared_ptr<vell::Button> m_clearCache;
};

// A "setting-row": the title (and the caption when not empty) at the left, the
// control at the right.
vell::WidgetPtr settingRow(const std::string& title, const std::string& caption, vell::WidgetPtr control);

} // namespace cad
