#include "vell/box.h"

namespace vell {

std::shared_ptr<Box> box()
{
    return std::make_shared<Box>();
}

std::shared_ptr<Box> box(const std::string& className)
{
    auto b = box();
    b->addClass(className);
    return b;
}

} // namespace vell
