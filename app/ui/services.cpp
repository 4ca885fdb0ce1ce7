#include "app/ui/services.h"

namespace cad {

Services& services()
{
    static Services instance;
    return instance;
}

} // namespace cad
