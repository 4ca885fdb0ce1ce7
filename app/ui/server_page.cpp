#include "app/ui/server_page.h"

#include "app/ui/services.h"

#include <SDL.h>

namespace cad {

ServerPage::ServerPage(const std::string& title, bool miniPlayer, RefreshRule rule)
    : Page(title, miniPlayer)
    , m_rule(rule)
{
}

void ServerPage::start()
{
    refresh();
    auto view = viewRef.lock();
    if (!view || m_rule == RefreshRule::Never)
        return;
    std::weak_ptr<Page> weak = weakSelf();
    view->onShow = [weak] {
        auto page = std::static_pointer_cast<ServerPage>(weak.lock());
        if (!page)
            return;
        if (shouldRefreshOnShow(page->m_rule, SDL_GetTicks(), page->loadedAt, page->loadedOnline, services().online))
            page->refresh();
    };
}

void ServerPage::refresh()
{
    loadedOnline = services().online;
    loadedAt = SDL_GetTicks();
    ++loads;
    load();
}

} // namespace cad
