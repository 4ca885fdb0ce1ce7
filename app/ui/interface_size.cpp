#include "app/ui/interface_size.h"

namespace cad {

float interfaceScale(int32_t percent)
{
    if (percent < 75 || percent > 200)
        return 0;
    return float(percent) / 100.0f;
}

std::string interfaceSizeLabel(int32_t percent)
{
    return percent == 0 ? "Auto" : std::to_string(percent) + "%";
}

} // namespace cad
