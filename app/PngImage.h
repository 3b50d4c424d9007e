// PNG decoding for the window's image resources, on zlib's inflate only.
// Pure: no <windows.h>; the Windows side turns the result into a bitmap.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Decoded image: rows top to bottom, 4 bytes per pixel in the order
// blue, green, red, alpha (straight, not premultiplied).
struct TPngImage {
    uint32_t Width = 0;
    uint32_t Height = 0;
    std::vector<uint8_t> Bgra;

    // Pixel (x, y) as 0xAARRGGBB; x and y must be inside the image.
    uint32_t Pixel(uint32_t x, uint32_t y) const;
};

// Largest decoded pixel buffer we accept (Width * Height * 4 bytes).
inline constexpr std::size_t kMaxPngPixelBytes = 64u * 1024u * 1024u;

// Decodes a whole PNG file: every colour type at every bit depth PNG allows,
// the five row filters, Adam7 interlace, PLTE and tRNS, IDAT spread over
// several chunks; every chunk's CRC is checked. 16-bit samples keep their
// high byte. A malformed, truncated or oversized image raises EAppError;
// no allocation grows beyond what the input really holds or maxPixelBytes.
TPngImage DecodePng(std::span<const uint8_t> data, std::size_t maxPixelBytes = kMaxPngPixelBytes);

// Composes the image onto opaque white (honouring its alpha) and makes every
// pixel fully opaque: what the window draws is always a plain opaque copy.
void FlattenOntoWhite(TPngImage& image);

// CRC-32 as PNG chunks use it (over chunk type and data).
uint32_t PngCrc32(std::span<const uint8_t> data, uint32_t crc = 0);
