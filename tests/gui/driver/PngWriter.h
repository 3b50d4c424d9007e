// A small PNG encoder for screenshots: 8-bit RGB, no interlace, one IDAT chunk,
// rows unfiltered and deflated with zlib.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace gui {

// pixels: height rows of width * 3 bytes (R, G, B), rows stride bytes apart.
// Returns the whole file; empty when the size is zero or compression fails.
std::vector<std::uint8_t> EncodePngRgb(std::uint32_t width, std::uint32_t height,
                                       const std::uint8_t* pixels, std::size_t stride);

}  // namespace gui
