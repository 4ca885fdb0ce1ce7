#pragma once
// Starts the shared services' worker pools once per test process, one worker each, so
// replies come back in the order they were asked for whichever suite runs first.
#include "app/ui/services.h"

#include <mutex>

namespace testing_support {

inline void startServicePools()
{
    static std::once_flag once;
    std::call_once(once, [] {
        cad::services().net.requestPool.start(1);
        cad::services().net.downloadPool.start(1);
        cad::services().net.streamPool.start(1);
    });
}

} // namespace testing_support
