#pragma once
// vell::Box — the plain flex container ("box"): a row, column or stack
// depending on its style's direction (column when unset).
//   auto row = box()->add({ label("Name"), spacer(), button("Edit") });
//   row->style().direction = Direction::Row;

#include "vell/flex.h"
#include "vell/widget_t.h"

namespace vell {

class Box : public ContainerT<Box, Flex> {
public:
    static constexpr const char* kTypeName = "box";
};

std::shared_ptr<Box> box();
// A box carrying one style class, e.g. box("card").
std::shared_ptr<Box> box(const std::string& className);

} // namespace vell
