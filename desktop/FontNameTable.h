// The descriptive name of a TrueType or OpenType font, read from the font's own
// 'name' table: what the system shows for the font (for example "Arial Bold").
// Pure and bounds-checked, so a damaged file gives an empty name, never a crash.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Full font name (name id 4, family name as a last resort), preferring the
// Windows-platform US-English record. A collection joins its fonts' names with
// " & ". Empty when the data is not a font or holds no usable name.
std::wstring FontFullName(const uint8_t* data, size_t size);
