#pragma once
// Byte-offset helpers for editing UTF-8 text one code point at a time. Offsets
// are clamped to the text; invalid sequences step one byte at a time.

#include <cstddef>
#include <string>
#include <string_view>

namespace cad::utf8 {

// The start of the code point before `offset` (0 at the start).
size_t previous(std::string_view text, size_t offset);
// The offset just after the code point at `offset` (the length at the end).
size_t next(std::string_view text, size_t offset);
size_t countCodePoints(std::string_view text);
// One "•" per code point: what a password field shows.
std::string masked(std::string_view text);
// The text before the first line feed, then before the first carriage return.
std::string_view firstLine(std::string_view text);
// Without spaces, tabs, carriage returns and line feeds at either end.
std::string_view trimmed(std::string_view text);

} // namespace cad::utf8
