#pragma once
#include <string>
#include <string_view>

namespace cad {

// Percent-encodes every byte except ASCII letters, digits and "-._~", as "%" and two
// upper-case hex digits. A space becomes %20 (never "+"); UTF-8 is encoded byte by byte.
std::string percentEncode(std::string_view text);

} // namespace cad
