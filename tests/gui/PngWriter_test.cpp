// The screenshot encoder: files must open in any viewer, so check the container
// (signature, chunk order, lengths, CRCs) and that the pixels come back unchanged.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>

#include "PngWriter.h"

namespace {

struct TChunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

std::uint32_t BE32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

// Splits the file into chunks, failing the test on a bad length or CRC.
std::vector<TChunk> ReadChunks(const std::vector<std::uint8_t>& file) {
    std::vector<TChunk> chunks;
    const std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_GE(file.size(), 8u);
    if (file.size() < 8) return chunks;
    EXPECT_EQ(0, std::memcmp(file.data(), signature, 8));
    std::size_t at = 8;
    while (at + 12 <= file.size()) {
        const std::uint32_t len = BE32(&file[at]);
        EXPECT_LE(at + 12 + len, file.size());
        if (at + 12 + len > file.size()) break;
        TChunk c;
        c.type.assign(reinterpret_cast<const char*>(&file[at + 4]), 4);
        c.data.assign(file.begin() + static_cast<long>(at + 8),
                      file.begin() + static_cast<long>(at + 8 + len));
        const uLong crc = crc32(crc32(0L, Z_NULL, 0), &file[at + 4], 4 + len);
        EXPECT_EQ(static_cast<std::uint32_t>(crc), BE32(&file[at + 8 + len])) << c.type;
        chunks.push_back(std::move(c));
        at += 12 + len;
    }
    EXPECT_EQ(at, file.size()) << "bytes after the last chunk";
    return chunks;
}

TEST(PngWriter, RoundTripsPixelsThroughAWellFormedFile) {
    // 5 x 3 with a stride wider than the row: padding must not leak into the image.
    const std::uint32_t w = 5, h = 3;
    const std::size_t stride = w * 3 + 4;
    std::vector<std::uint8_t> pixels(stride * h, 0xEE);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w * 3; ++x)
            pixels[y * stride + x] = static_cast<std::uint8_t>(y * 40 + x * 7 + 1);

    const auto file = gui::EncodePngRgb(w, h, pixels.data(), stride);
    const auto chunks = ReadChunks(file);
    ASSERT_EQ(3u, chunks.size());
    EXPECT_EQ("IHDR", chunks[0].type);
    EXPECT_EQ("IDAT", chunks[1].type);
    EXPECT_EQ("IEND", chunks[2].type);
    EXPECT_TRUE(chunks[2].data.empty());

    const auto& ihdr = chunks[0].data;
    ASSERT_EQ(13u, ihdr.size());
    EXPECT_EQ(w, BE32(&ihdr[0]));
    EXPECT_EQ(h, BE32(&ihdr[4]));
    EXPECT_EQ(8, ihdr[8]);   // bit depth
    EXPECT_EQ(2, ihdr[9]);   // RGB
    EXPECT_EQ(0, ihdr[10]);
    EXPECT_EQ(0, ihdr[11]);
    EXPECT_EQ(0, ihdr[12]);

    std::vector<std::uint8_t> raw((w * 3 + 1) * h + 16);
    uLongf rawSize = static_cast<uLongf>(raw.size());
    ASSERT_EQ(Z_OK, uncompress(raw.data(), &rawSize, chunks[1].data.data(),
                               static_cast<uLong>(chunks[1].data.size())));
    ASSERT_EQ((w * 3 + 1) * h, rawSize);
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t* row = &raw[y * (w * 3 + 1)];
        EXPECT_EQ(0, row[0]) << "filter of row " << y;
        for (std::uint32_t x = 0; x < w * 3; ++x)
            ASSERT_EQ(pixels[y * stride + x], row[1 + x]) << "row " << y << " byte " << x;
    }
}

TEST(PngWriter, LargeImageCompresses) {
    // A screen-sized uniform image must come out far smaller than its raw size.
    const std::uint32_t w = 954, h = 579;
    std::vector<std::uint8_t> pixels(std::size_t{w} * h * 3, 0x80);
    const auto file = gui::EncodePngRgb(w, h, pixels.data(), std::size_t{w} * 3);
    ASSERT_FALSE(file.empty());
    EXPECT_LT(file.size(), pixels.size() / 20);
    EXPECT_EQ(3u, ReadChunks(file).size());
}

TEST(PngWriter, RefusesEmptyOrShortInput) {
    std::uint8_t px[12] = {};
    EXPECT_TRUE(gui::EncodePngRgb(0, 1, px, 3).empty());
    EXPECT_TRUE(gui::EncodePngRgb(1, 0, px, 3).empty());
    EXPECT_TRUE(gui::EncodePngRgb(1, 1, nullptr, 3).empty());
    EXPECT_TRUE(gui::EncodePngRgb(4, 1, px, 6).empty());  // stride shorter than a row
}

}  // namespace
