#include "app/ui/page_push.h"

namespace cad {

vell::ViewPtr pushPage(vell::Shell& shell, const std::shared_ptr<Page>& page)
{
    vell::ViewPtr view = presentPage(page);
    if (!view)
        return nullptr;
    shell.viewStack.push_back(view);
    shell.show(view, 1);
    shell.handOverFocus(view);
    return view;
}

} // namespace cad
