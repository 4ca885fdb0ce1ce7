#pragma once
// cad::SearchPage — the "Search" navigation page: a text field that searches the
// server as the user types (450 ms after the last change, or at once on Enter),
// showing artists as chips, albums on a shelf and songs as rows. Each run bumps
// `generation`; a reply that comes back for an older run is dropped, so only the
// answer to the latest query is shown.

#include "app/net/subsonic.h"
#include "app/ui/page.h"
#include "app/ui/widgets/text_field.h"

#include <SDL.h>

#include <cstdint>
#include <functional>

namespace cad {

class SearchPage : public Page {
public:
    static constexpr uint32_t kDebounceMs = 450;

    SearchPage();

    void start() override;
    void tick(float seconds) override;

    // Searches for the field's trimmed text now (idle text when empty or offline).
    void run();

    std::shared_ptr<TextField> field;
    std::shared_ptr<vell::Widget> results;
    bool pending = false;
    uint32_t changedAt = 0;
    int generation = 0;
    int dropped = 0; // replies ignored because a newer query was sent (tests)
    // Milliseconds for the debounce; tests replace it.
    std::function<uint32_t()> ticks = [] { return uint32_t(SDL_GetTicks()); };

private:
    void showIdle(bool online);
    void received(bool ok, const Subsonic::SearchResult& result, const std::string& error);
};

} // namespace cad
