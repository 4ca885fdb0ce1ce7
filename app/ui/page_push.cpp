#include "app/ui/page_push.h"

namespace cad {

vell::ViewPtr pushPage(vell::Shell& shell, const std::shared_ptr<Page>& page)
{
    vell::ViewPtr view = presentPage(page);
    if (!view)
        return nullptr;
    shell.push(view);
    return view;
}

} // namespace cad
