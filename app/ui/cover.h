#pragma once
// Stand-in declaration of the cover widget until the cover layer lands; the
// cover layer's own header replaces this file.

#include "vell/box.h"

#include <memory>
#include <string>

namespace cad {

class Cover : public vell::ContainerT<Cover, vell::Flex> {
public:
    static constexpr const char* kTypeName = "cover";
};

std::shared_ptr<Cover> coverImage(const std::string& id, int fetchSize, float displaySize);

} // namespace cad
