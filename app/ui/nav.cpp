#include "app/ui/nav.h"

namespace cad {

Nav& nav()
{
    static Nav instance;
    return instance;
}

void toast(const std::string& title, const std::string& detail, unsigned icon, float seconds)
{
    if (auto& hook = nav().toast)
        hook(title, detail, seconds, icon);
}

} // namespace cad
