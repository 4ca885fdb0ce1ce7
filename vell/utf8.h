#pragma once
#include <cstdint>
#include <string>

namespace vell {

// UTF-8 encoding of one code point (icons are given as code points); empty
// for values past U+10FFFF.
std::string utf8(uint32_t codePoint);

} // namespace vell
