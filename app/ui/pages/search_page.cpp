#include "app/ui/pages/search_page.h"

#include "app/ui/nav.h"
#include "app/ui/page_state.h"
#include "app/ui/widgets/result_sections.h"
#include "app/ui/services.h"
#include "app/ui/utf8_edit.h"
#include "vell/button.h"
#include "vell/circular_progress.h"
#include "vell/color_ref.h"
#include "vell/engine.h"
#include "vell/glyph.h"
#include "vell/input_state.h"
#include "vell/label.h"

#include <memory>

namespace cad {
namespace {

constexpr int32_t kSearch = 0xE8B6;
constexpr int32_t kPerson = 0xE7FD;
constexpr int32_t kError = 0xE000;

// The glyph (in `glyphColor`) over a line in onSurfaceVariant, centred.
void showNote(vell::Widget& container, int32_t glyph, const char* glyphColor, const std::string& text)
{
    showMessage(container, glyph, text);
    auto& column = *container.children.front();
    column.children.front()->style().color = vell::colorToken(glyphColor);
}

vell::WidgetPtr artistChips(const std::vector<Artist>& artists)
{
    auto chips = sectionRow(10);
    for (const Artist& artist : artists) {
        auto chip = vell::button(artist.name, kPerson, "chip");
        chip->children.front()->style().textSize = 20;
        chip->onClick = [id = artist.id] {
            if (auto& open = nav().openArtist)
                open(id);
        };
        chips->add(chip);
    }
    return chips;
}

} // namespace

SearchPage::SearchPage()
    : Page("Search", true)
{
    field = textField("Search songs, albums and artists");
    results = stateBox();
    root->style().gap = 14;
    root->style().padding = vell::symmetricEdges(24, 12);
    root->add({ field, results });
    bindQueueKeys(view);
    showIdle(services().online);
}

void SearchPage::start()
{
    std::weak_ptr<Page> weak = weakSelf();
    auto page = [weak] { return std::static_pointer_cast<SearchPage>(weak.lock()); };
    field->onChange = [page](const std::string&) {
        if (auto p = page()) {
            p->pending = true;
            p->changedAt = p->ticks();
        }
    };
    field->onSubmit = [page](const std::string&) {
        if (auto p = page()) {
            p->pending = false;
            p->run();
        }
    };
    if (auto shown = viewRef.lock()) {
        shown->onShow = [page] {
            auto p = page();
            vell::Engine* engine = services().engine;
            if (!p || !engine)
                return;
            engine->setFocus(p->field.get());
            if (!engine->input().controller)
                p->field->beginEdit(engine->context());
        };
    }
}

void SearchPage::tick(float)
{
    // Unsigned difference: correct across the tick counter's wrap.
    if (pending && ticks() - changedAt > kDebounceMs) {
        pending = false;
        run();
    }
    // The loop sleeps without events; the debounce must still end on time.
    if (pending && services().engine)
        services().engine->requestFrameIn(0.05);
}

void SearchPage::run()
{
    const std::string text(utf8::trimmed(field->text));
    const int asked = ++generation;
    const bool online = services().online;
    if (text.empty() || !online) {
        showIdle(online);
        return;
    }
    results->clearChildren();
    auto ring = vell::circularProgress();
    ring->indeterminate = true;
    results->addChild(ring);
    std::weak_ptr<Page> weak = weakSelf();
    services().subsonic.search(text,
        [weak, asked](bool ok, const Subsonic::SearchResult& result, const std::string& error) {
            auto page = std::static_pointer_cast<SearchPage>(weak.lock());
            if (!page)
                return;
            if (asked != page->generation) {
                ++page->dropped;
                return;
            }
            page->received(ok, result, error);
        });
}

void SearchPage::showIdle(bool online)
{
    showMessage(*results, kSearch, online ? "Type to search your library" : "Search needs a server connection");
}

void SearchPage::received(bool ok, const Subsonic::SearchResult& result, const std::string& error)
{
    if (!ok) {
        showNote(*results, kError, "error", "Search failed: " + error);
        return;
    }
    if (result.artists.empty() && result.albums.empty() && result.songs.empty()) {
        showMessage(*results, kSearch, "No results");
        return;
    }
    auto column = resultsColumn(*results);
    if (!result.artists.empty())
        column->add({ sectionTitle("Artists"), artistChips(result.artists) });
    if (!result.albums.empty())
        column->add({ sectionTitle("Albums"), albumShelf(result.albums) });
    if (!result.songs.empty())
        addSongRows(*column, std::make_shared<std::vector<Song>>(result.songs));
}

} // namespace cad
