#include "vell/spacer.h"

namespace vell {

std::shared_ptr<Spacer> spacer(float size)
{
    auto s = std::make_shared<Spacer>();
    if (size > 0) {
        s->style().width = SizeSpec::fixed(size);
        s->style().height = SizeSpec::fixed(size);
    } else {
        s->growFactor = 1;
    }
    return s;
}

} // namespace vell
