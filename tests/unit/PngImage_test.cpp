// PNG decoder: files written by an encoder in this test (every colour type,
// bit depth, filter and interlace, with expectations computed from the raw
// samples), files written by ImageMagick (compared with ImageMagick's own
// decoding), and broken files that must be refused cleanly.
#include "app/PngImage.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "platform/AppError.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

// CRC from zlib, independent of the decoder's own table.
void Chunk(Bytes& out, const char* type, const Bytes& data) {
    Put32(out, uint32_t(data.size()));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    Put32(out, uint32_t(crc32(0, body.data(), uInt(body.size()))));
}

struct TSpec {
    uint32_t Width = 11, Height = 7;
    uint8_t ColorType = 6, Depth = 8;
    bool Interlaced = false;
    int Filter = 0;                  // 0..4, or 5 for a different filter on each row
    std::vector<uint16_t> Samples;   // Width * Height * channels, row major
    Bytes Palette, Trns;
    int IdatChunks = 1;              // split the stream over this many IDAT chunks
};

int Channels(uint8_t colorType) {
    switch (colorType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

int Paeth(int a, int b, int c) {
    int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
}

// Adam7 geometry as PNG defines it: origin and step of each pass.
const int kAdam7[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                          {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

Bytes Encode(const TSpec& s) {
    const int ch = Channels(s.ColorType);
    const int bpp = std::max(1, ch * s.Depth / 8);
    Bytes raw;
    int rowIndex = 0;
    auto emitPass = [&](int x0, int y0, int dx, int dy) {
        std::vector<std::pair<int, int>> cols;
        Bytes prev;
        for (int y = y0; y < int(s.Height); y += dy) {
            // Pack the row's samples, most significant bits first.
            Bytes row;
            int bitPos = 0;
            for (int x = x0; x < int(s.Width); x += dx)
                for (int c = 0; c < ch; ++c) {
                    uint16_t v = s.Samples[(size_t(y) * s.Width + x) * ch + c];
                    if (s.Depth == 16) {
                        row.push_back(uint8_t(v >> 8));
                        row.push_back(uint8_t(v));
                    } else if (s.Depth == 8) {
                        row.push_back(uint8_t(v));
                    } else {
                        if (bitPos % 8 == 0) row.push_back(0);
                        row.back() |= uint8_t(v << (8 - s.Depth - bitPos % 8));
                        bitPos += s.Depth;
                    }
                }
            if (row.empty()) return;
            const int filter = s.Filter == 5 ? rowIndex % 5 : s.Filter;
            ++rowIndex;
            Bytes out(row.size());
            for (size_t i = 0; i < row.size(); ++i) {
                int a = i >= size_t(bpp) ? row[i - bpp] : 0;
                int b = prev.empty() ? 0 : prev[i];
                int c = (i >= size_t(bpp) && !prev.empty()) ? prev[i - bpp] : 0;
                int pred = filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2
                           : filter == 4 ? Paeth(a, b, c) : 0;
                out[i] = uint8_t(row[i] - pred);
            }
            raw.push_back(uint8_t(filter));
            raw.insert(raw.end(), out.begin(), out.end());
            prev = row;
        }
    };
    if (s.Interlaced)
        for (const auto& p : kAdam7) emitPass(p[0], p[1], p[2], p[3]);
    else
        emitPass(0, 0, 1, 1);

    uLongf len = compressBound(uLong(raw.size()));
    Bytes z(len);
    compress2(z.data(), &len, raw.data(), uLong(raw.size()), 9);
    z.resize(len);

    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    Put32(ihdr, s.Width);
    Put32(ihdr, s.Height);
    ihdr.insert(ihdr.end(), {s.Depth, s.ColorType, 0, 0, uint8_t(s.Interlaced ? 1 : 0)});
    Chunk(png, "IHDR", ihdr);
    if (!s.Palette.empty()) Chunk(png, "PLTE", s.Palette);
    if (!s.Trns.empty()) Chunk(png, "tRNS", s.Trns);
    const size_t part = z.size() / size_t(s.IdatChunks) + 1;
    for (int i = 0; i < s.IdatChunks; ++i) {
        size_t from = std::min(z.size(), i * part), to = std::min(z.size(), from + part);
        Chunk(png, "IDAT", Bytes(z.begin() + long(from), z.begin() + long(to)));
    }
    Chunk(png, "IEND", {});
    return png;
}

uint8_t Scale(uint16_t v, int depth) {
    if (depth == 16) return uint8_t(v >> 8);
    return uint8_t((v * 255 + ((1 << depth) - 1) / 2) / ((1 << depth) - 1));
}

// What the decoder must produce, straight from the samples: B, G, R, A per pixel.
Bytes Expected(const TSpec& s) {
    const int ch = Channels(s.ColorType);
    Bytes out;
    for (size_t i = 0; i < size_t(s.Width) * s.Height; ++i) {
        const uint16_t* v = &s.Samples[i * ch];
        uint8_t r, g, b, a = 255;
        auto key = [&](int k) { return uint16_t((s.Trns[2 * k] << 8) | s.Trns[2 * k + 1]); };
        switch (s.ColorType) {
        case 0:
            r = g = b = Scale(v[0], s.Depth);
            if (!s.Trns.empty() && v[0] == key(0)) a = 0;
            break;
        case 2:
            r = Scale(v[0], s.Depth); g = Scale(v[1], s.Depth); b = Scale(v[2], s.Depth);
            if (!s.Trns.empty() && v[0] == key(0) && v[1] == key(1) && v[2] == key(2)) a = 0;
            break;
        case 3:
            r = s.Palette[v[0] * 3]; g = s.Palette[v[0] * 3 + 1]; b = s.Palette[v[0] * 3 + 2];
            if (v[0] < s.Trns.size()) a = s.Trns[v[0]];
            break;
        case 4:
            r = g = b = Scale(v[0], s.Depth);
            a = Scale(v[1], s.Depth);
            break;
        default:
            r = Scale(v[0], s.Depth); g = Scale(v[1], s.Depth); b = Scale(v[2], s.Depth);
            a = Scale(v[3], s.Depth);
        }
        out.insert(out.end(), {b, g, r, a});
    }
    return out;
}

TSpec Random(uint8_t colorType, uint8_t depth, uint32_t w, uint32_t h, unsigned seed) {
    std::mt19937 rng(seed);
    TSpec s;
    s.Width = w;
    s.Height = h;
    s.ColorType = colorType;
    s.Depth = depth;
    const uint32_t maxValue = (1u << depth) - 1;
    uint32_t limit = maxValue;
    if (colorType == 3) {
        const uint32_t entries = std::min<uint32_t>(maxValue + 1, 200);
        for (uint32_t i = 0; i < entries * 3; ++i) s.Palette.push_back(uint8_t(rng()));
        limit = entries - 1;
    }
    s.Samples.resize(size_t(w) * h * Channels(colorType));
    for (auto& v : s.Samples) v = uint16_t(rng() % (limit + 1));
    return s;
}

TPngImage Decode(const Bytes& png) { return DecodePng(png); }

std::string Describe(const TSpec& s) {
    return "type " + std::to_string(s.ColorType) + " depth " + std::to_string(s.Depth) + " filter " +
           std::to_string(s.Filter) + (s.Interlaced ? " interlaced" : "");
}

struct TCombo {
    uint8_t ColorType, Depth;
};
const TCombo kCombos[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                          {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

// A byte offset inside the chunk named `type` (its data starts at the result).
size_t ChunkData(const Bytes& png, const char* type) {
    for (size_t p = 8; p + 8 <= png.size();) {
        uint32_t len = (uint32_t(png[p]) << 24) | (png[p + 1] << 16) | (png[p + 2] << 8) | png[p + 3];
        if (std::memcmp(&png[p + 4], type, 4) == 0) return p + 8;
        p += 12 + len;
    }
    ADD_FAILURE() << "no chunk " << type;
    return 0;
}

// Rewrites the CRC of the chunk whose data starts at `data` after editing it.
void FixCrc(Bytes& png, size_t data) {
    uint32_t len = (uint32_t(png[data - 8]) << 24) | (png[data - 7] << 16) | (png[data - 6] << 8) | png[data - 5];
    uint32_t crc = uint32_t(crc32(0, &png[data - 4], len + 4));
    for (int i = 0; i < 4; ++i) png[data + len + i] = uint8_t(crc >> (24 - 8 * i));
}

}  // namespace

TEST(PngImage, EveryColourTypeDepthFilterAndInterlace) {
    unsigned seed = 1;
    for (const TCombo& c : kCombos)
        for (int filter = 0; filter <= 5; ++filter)
            for (bool interlaced : {false, true}) {
                // 11 x 7 leaves partial Adam7 blocks and rows that end mid-byte.
                TSpec s = Random(c.ColorType, c.Depth, 11, 7, seed++);
                s.Filter = filter;
                s.Interlaced = interlaced;
                TPngImage img = Decode(Encode(s));
                ASSERT_EQ(img.Width, 11u) << Describe(s);
                ASSERT_EQ(img.Height, 7u) << Describe(s);
                ASSERT_EQ(img.Bgra, Expected(s)) << Describe(s);
            }
}

TEST(PngImage, SmallImagesWithEmptyInterlacePasses) {
    // 1 x 1 has only the first pass; 2 x 1, 1 x 5 and 5 x 1 leave other passes empty.
    const std::pair<uint32_t, uint32_t> sizes[] = {{1, 1}, {2, 1}, {1, 5}, {5, 1}, {3, 3}, {9, 9}};
    for (auto [w, h] : sizes)
        for (const TCombo& c : {TCombo{0, 1}, TCombo{3, 2}, TCombo{6, 16}}) {
            TSpec s = Random(c.ColorType, c.Depth, w, h, w * 31 + h);
            s.Interlaced = true;
            s.Filter = 5;
            EXPECT_EQ(Decode(Encode(s)).Bgra, Expected(s)) << w << "x" << h << " " << Describe(s);
        }
}

TEST(PngImage, TransparencyChunk) {
    TSpec gray = Random(0, 16, 6, 4, 5);
    gray.Samples[3] = 0x1234;
    gray.Samples[9] = 0x1234;
    gray.Trns = {0x12, 0x34};
    Bytes expectGray = Expected(gray);
    TPngImage g = Decode(Encode(gray));
    EXPECT_EQ(g.Bgra, expectGray);
    EXPECT_EQ(g.Pixel(3, 0) >> 24, 0u);
    EXPECT_EQ(g.Pixel(3, 1) >> 24, 0u);

    TSpec gray4 = Random(0, 4, 6, 4, 6);
    gray4.Trns = {0x00, 0x07};
    EXPECT_EQ(Decode(Encode(gray4)).Bgra, Expected(gray4));

    TSpec rgb = Random(2, 8, 6, 4, 7);
    rgb.Samples[0] = 10; rgb.Samples[1] = 20; rgb.Samples[2] = 30;
    rgb.Samples[3] = 10; rgb.Samples[4] = 20; rgb.Samples[5] = 31;  // one sample off: stays opaque
    rgb.Trns = {0, 10, 0, 20, 0, 30};
    TPngImage c = Decode(Encode(rgb));
    EXPECT_EQ(c.Pixel(0, 0) >> 24, 0u);
    EXPECT_EQ(c.Pixel(1, 0) >> 24, 255u);
    EXPECT_EQ(c.Bgra, Expected(rgb));

    // Palette alpha shorter than the palette: later entries are opaque.
    TSpec pal = Random(3, 4, 8, 8, 8);
    pal.Trns = {0, 64, 128};
    EXPECT_EQ(Decode(Encode(pal)).Bgra, Expected(pal));
}

TEST(PngImage, ImageDataSpreadOverManyChunks) {
    TSpec s = Random(6, 8, 23, 17, 9);
    s.Filter = 5;
    s.IdatChunks = 40;  // more chunks than bytes per chunk: some are empty
    EXPECT_EQ(Decode(Encode(s)).Bgra, Expected(s));
}

TEST(PngImage, MatchesImageMagickDecoding) {
    const char* names[] = {"gray1", "gray2", "gray4", "gray8", "gray16", "rgb8", "rgb16",
                           "pal1", "pal2", "pal4", "pal8", "graya8", "graya16", "rgba8", "rgba16"};
    std::vector<std::string> all;
    for (const char* n : names) {
        all.push_back(n);
        all.push_back(std::string(n) + "_i");
    }
    for (const char* n : {"gray_trns", "rgb_trns", "pal_trns", "ancillary"}) all.push_back(n);

    for (const std::string& name : all) {
        std::ifstream png(std::string(PNG_TEST_DATA) + "/" + name + ".png", std::ios::binary);
        std::ifstream rgba(std::string(PNG_TEST_DATA) + "/" + name + ".rgba", std::ios::binary);
        ASSERT_TRUE(png && rgba) << name;
        Bytes file((std::istreambuf_iterator<char>(png)), std::istreambuf_iterator<char>());
        Bytes ref((std::istreambuf_iterator<char>(rgba)), std::istreambuf_iterator<char>());
        TPngImage img = DecodePng(file);
        ASSERT_EQ(size_t(img.Width) * img.Height * 4, ref.size()) << name;
        for (size_t i = 0; i < ref.size(); i += 4) {
            const uint8_t* d = &img.Bgra[i];
            ASSERT_EQ(d[3], ref[i + 3]) << name << " pixel " << i / 4;
            if (ref[i + 3] == 0) continue;  // colour of an invisible pixel is arbitrary
            ASSERT_EQ(d[2], ref[i]) << name << " pixel " << i / 4;
            ASSERT_EQ(d[1], ref[i + 1]) << name << " pixel " << i / 4;
            ASSERT_EQ(d[0], ref[i + 2]) << name << " pixel " << i / 4;
        }
    }
}

TEST(PngImage, EveryTruncationIsRefused) {
    TSpec s = Random(3, 8, 9, 6, 10);
    s.Interlaced = true;
    Bytes png = Encode(s);
    for (size_t n = 0; n < png.size(); ++n)
        EXPECT_THROW(DecodePng(std::span(png.data(), n)), EAppError) << "length " << n;
}

TEST(PngImage, DamagedChunksAreRefused) {
    const Bytes good = Encode(Random(2, 8, 8, 8, 11));
    ASSERT_NO_THROW(Decode(good));

    auto refused = [](Bytes png, const char* what) {
        EXPECT_THROW(DecodePng(png), EAppError) << what;
    };
    Bytes b = good;
    b[0] = 0x88;
    refused(b, "signature");

    b = good;
    b[ChunkData(b, "IHDR")] ^= 1;
    refused(b, "IHDR checksum");

    b = good;
    b[ChunkData(b, "IDAT") + 5] ^= 0x40;
    refused(b, "IDAT checksum");

    // Valid checksums but impossible headers.
    auto header = [&](int offset, uint8_t value, const char* what) {
        Bytes h = good;
        size_t d = ChunkData(h, "IHDR");
        h[d + offset] = value;
        FixCrc(h, d);
        refused(h, what);
    };
    header(3, 0, "zero width");              // width 8 -> 0
    header(8, 3, "depth 3");
    header(8, 4, "RGB at depth 4");
    header(9, 1, "colour type 1");
    header(9, 7, "colour type 7");
    header(10, 1, "compression method");
    header(11, 1, "filter method");
    header(12, 2, "interlace method");
    header(0, 0x80, "width above 2^31");

    // Filter type 5 on the first row.
    {
        TSpec s = Random(0, 8, 4, 2, 12);
        Bytes raw = {5, 1, 2, 3, 4, 0, 1, 2, 3, 4};
        uLongf len = compressBound(uLong(raw.size()));
        Bytes z(len);
        compress2(z.data(), &len, raw.data(), uLong(raw.size()), 9);
        z.resize(len);
        Bytes png = Encode(s);
        size_t d = ChunkData(png, "IDAT");
        Bytes rebuilt(png.begin(), png.begin() + long(d - 8));
        Chunk(rebuilt, "IDAT", z);
        Chunk(rebuilt, "IEND", {});
        refused(rebuilt, "filter 5");
    }

    // Corrupt deflate data with a correct chunk checksum.
    b = good;
    {
        size_t d = ChunkData(b, "IDAT");
        b[d] = 0x78;
        b[d + 1] = 0x02;  // header check bits wrong for 0x78
        FixCrc(b, d);
        refused(b, "zlib header");
    }
}

TEST(PngImage, ChunkOrderAndPresence) {
    TSpec pal = Random(3, 8, 4, 4, 13);
    Bytes good = Encode(pal);
    ASSERT_NO_THROW(Decode(good));

    // Palette index beyond the palette.
    {
        TSpec s = pal;
        s.Palette.resize(3 * 4);
        for (auto& v : s.Samples) v = v % 4;
        s.Samples[5] = 4;
        EXPECT_THROW(Decode(Encode(s)), EAppError);
    }
    // Colour type 3 without PLTE.
    {
        TSpec s = pal;
        s.Palette.clear();
        EXPECT_THROW(Decode(Encode(s)), EAppError);
    }
    // tRNS in an image that has its own alpha; tRNS longer than the palette.
    {
        TSpec s = Random(6, 8, 4, 4, 14);
        s.Trns = {0, 1};
        EXPECT_THROW(Decode(Encode(s)), EAppError);
        TSpec p = Random(3, 1, 4, 4, 15);
        p.Trns = {1, 2, 3};
        EXPECT_THROW(Decode(Encode(p)), EAppError);
    }
    // No IEND; no IDAT; IDAT interrupted by another chunk; unknown critical chunk.
    const size_t iend = good.size() - 12;
    EXPECT_THROW(DecodePng(std::span(good.data(), iend)), EAppError);
    {
        size_t idat = ChunkData(good, "IDAT") - 8;
        Bytes noData(good.begin(), good.begin() + long(idat));
        Chunk(noData, "IEND", {});
        EXPECT_THROW(Decode(noData), EAppError);

        uint32_t len = uint32_t(iend - idat - 12);
        Bytes split(good.begin(), good.begin() + long(idat));
        Bytes data(good.begin() + long(idat + 8), good.begin() + long(idat + 8 + len));
        Chunk(split, "IDAT", Bytes(data.begin(), data.begin() + 4));
        Chunk(split, "tEXt", {'a', 0, 'b'});
        Chunk(split, "IDAT", Bytes(data.begin() + 4, data.end()));
        Chunk(split, "IEND", {});
        EXPECT_THROW(Decode(split), EAppError);

        Bytes unknown(good.begin(), good.begin() + long(idat));
        Chunk(unknown, "QXYZ", {1, 2});
        unknown.insert(unknown.end(), good.begin() + long(idat), good.end());
        EXPECT_THROW(Decode(unknown), EAppError);

        Bytes ancillary(good.begin(), good.begin() + long(idat));
        Chunk(ancillary, "qxYZ", {1, 2});
        ancillary.insert(ancillary.end(), good.begin() + long(idat), good.end());
        EXPECT_EQ(Decode(ancillary).Bgra, Expected(pal));
    }
    // Too little image data for the declared size.
    {
        TSpec s = Random(0, 8, 4, 4, 16);
        Bytes png = Encode(s);
        size_t d = ChunkData(png, "IHDR");
        png[d + 7] = 5;  // height 4 -> 5
        FixCrc(png, d);
        EXPECT_THROW(Decode(png), EAppError);
    }
}

TEST(PngImage, PixelBufferLimit) {
    // 4096 x 4096 is exactly 64 MiB of BGRA: accepted. One more row is refused
    // before any pixel memory is taken.
    TSpec s;
    s.ColorType = 0;
    s.Depth = 1;
    s.Width = 4096;
    s.Height = 4096;
    s.Samples.assign(size_t(4096) * 4096, 1);
    Bytes png = Encode(s);
    TPngImage img = Decode(png);
    EXPECT_EQ(img.Bgra.size(), kMaxPngPixelBytes);
    EXPECT_EQ(img.Pixel(4095, 4095), 0xFFFFFFFFu);

    size_t d = ChunkData(png, "IHDR");
    png[d + 7] = 0x01;  // height 4096 -> 4097
    FixCrc(png, d);
    EXPECT_THROW(Decode(png), EAppError);

    // The limit is the caller's: a small one refuses a small image.
    TSpec small = Random(6, 8, 16, 16, 17);
    EXPECT_THROW(DecodePng(Encode(small), 16 * 16 * 4 - 1), EAppError);
    EXPECT_NO_THROW(DecodePng(Encode(small), 16 * 16 * 4));

    // Huge declared sizes do not overflow the arithmetic.
    Bytes huge = Encode(small);
    d = ChunkData(huge, "IHDR");
    for (int i = 0; i < 8; ++i) huge[d + i] = i % 4 == 0 ? 0x7F : 0xFF;
    FixCrc(huge, d);
    EXPECT_THROW(Decode(huge), EAppError);
}

TEST(PngImage, FlattenOntoWhite) {
    TPngImage img;
    img.Width = 4;
    img.Height = 1;
    img.Bgra = {10, 20, 30, 255,   // opaque: unchanged
                10, 20, 30, 0,     // transparent: white
                0, 0, 0, 128,      // half black over white: mid grey
                200, 100, 0, 51};  // 20 % over white
    FlattenOntoWhite(img);
    EXPECT_EQ(img.Pixel(0, 0), 0xFF1E140Au);
    EXPECT_EQ(img.Pixel(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(img.Pixel(2, 0), 0xFF7F7F7Fu);
    // blue 200*0.2+255*0.8 = 244, green 100*0.2+204 = 224, red 0+204 = 204
    EXPECT_EQ(img.Pixel(3, 0), 0xFFCCE0F4u);
}

TEST(PngImage, Crc32MatchesZlib) {
    Bytes data = {'I', 'E', 'N', 'D'};
    EXPECT_EQ(PngCrc32(data), 0xAE426082u);
    std::mt19937 rng(3);
    Bytes random(1000);
    for (auto& v : random) v = uint8_t(rng());
    EXPECT_EQ(PngCrc32(random), uint32_t(crc32(0, random.data(), uInt(random.size()))));
}
