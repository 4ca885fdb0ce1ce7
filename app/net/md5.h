#pragma once
#include <string>
#include <string_view>

namespace cad {

// MD5 digest (RFC 1321) of `bytes` as 32 lower-case hex characters. Used for the Subsonic
// token, which the protocol fixes to MD5; not for anything that needs a secure hash.
std::string md5Hex(std::string_view bytes);

} // namespace cad
