#include "app/ui/refresh_rule.h"

namespace cad {

bool shouldRefreshOnShow(RefreshRule rule, uint32_t now, uint32_t loadedAt, bool loadedOnline, bool online)
{
    switch (rule) {
    case RefreshRule::Never: return false;
    case RefreshRule::Always: return true;
    case RefreshRule::OnlineChanged: return loadedOnline != online;
    case RefreshRule::Stale: return uint32_t(now - loadedAt) > kStaleAfterMs || loadedOnline != online;
    }
    return false;
}

} // namespace cad
