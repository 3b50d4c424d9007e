#include "app/PngImage.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <string>

#include "platform/AppError.h"

namespace {

[[noreturn]] void Fail(const std::wstring& reason) {
    throw EAppError(L"Изображение PNG повреждено: " + reason + L".");
}

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t ReadBe32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

std::wstring ChunkName(const uint8_t* type) {
    return std::wstring(type, type + 4);
}

bool IsChunk(const uint8_t* type, const char* name) {
    return std::equal(type, type + 4, reinterpret_cast<const uint8_t*>(name));
}

struct THeader {
    uint32_t Width = 0, Height = 0;
    uint8_t Depth = 0, ColorType = 0, Interlace = 0;
    unsigned Channels = 0;
    unsigned BitsPerPixel() const { return Channels * Depth; }
    // Bytes of one unfiltered row of w pixels (the filter byte not counted).
    uint64_t RowBytes(uint64_t w) const { return (w * BitsPerPixel() + 7) / 8; }
    // Distance to the corresponding byte of the previous pixel for the filters.
    unsigned FilterStep() const { return std::max(1u, BitsPerPixel() / 8); }
};

struct TPass {
    uint32_t X0, Y0, Dx, Dy;
    uint32_t Width, Height;
};

std::vector<TPass> Passes(const THeader& h) {
    if (h.Interlace == 0) return {TPass{0, 0, 1, 1, h.Width, h.Height}};
    static constexpr uint32_t kAdam7[7][4] = {
        {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
        {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::vector<TPass> passes;
    for (const auto& a : kAdam7) {
        uint32_t w = h.Width > a[0] ? (h.Width - a[0] + a[2] - 1) / a[2] : 0;
        uint32_t hh = h.Height > a[1] ? (h.Height - a[1] + a[3] - 1) / a[3] : 0;
        passes.push_back(TPass{a[0], a[1], a[2], a[3], w, hh});
    }
    return passes;
}

THeader ParseHeader(const uint8_t* d, uint32_t len, std::size_t maxPixelBytes) {
    if (len != 13) Fail(L"неверная длина блока IHDR");
    THeader h;
    h.Width = ReadBe32(d);
    h.Height = ReadBe32(d + 4);
    h.Depth = d[8];
    h.ColorType = d[9];
    h.Interlace = d[12];
    if (h.Width == 0 || h.Height == 0 || h.Width > 0x7FFFFFFFu || h.Height > 0x7FFFFFFFu)
        Fail(L"недопустимые размеры");
    if (d[10] != 0 || d[11] != 0) Fail(L"неизвестный метод сжатия или фильтрации");
    if (h.Interlace > 1) Fail(L"неизвестный метод чересстрочной развёртки");
    bool depthOk = false;
    switch (h.ColorType) {
    case 0: h.Channels = 1; depthOk = h.Depth == 1 || h.Depth == 2 || h.Depth == 4 || h.Depth == 8 || h.Depth == 16; break;
    case 2: h.Channels = 3; depthOk = h.Depth == 8 || h.Depth == 16; break;
    case 3: h.Channels = 1; depthOk = h.Depth == 1 || h.Depth == 2 || h.Depth == 4 || h.Depth == 8; break;
    case 4: h.Channels = 2; depthOk = h.Depth == 8 || h.Depth == 16; break;
    case 6: h.Channels = 4; depthOk = h.Depth == 8 || h.Depth == 16; break;
    default: Fail(L"неизвестный тип цвета");
    }
    if (!depthOk) Fail(L"недопустимая глубина цвета");
    if (uint64_t(h.Width) * h.Height * 4 > maxPixelBytes) Fail(L"изображение слишком велико");
    return h;
}

// Inflates the joined IDAT data into exactly `expected` bytes. The buffer grows
// with what the stream really yields, so a short stream never costs the full size.
std::vector<uint8_t> Inflate(const std::vector<uint8_t>& compressed, uint64_t expected) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) Fail(L"ошибка распаковки");
    struct TEnd {
        z_stream* s;
        ~TEnd() { inflateEnd(s); }
    } end{&zs};

    std::vector<uint8_t> out;
    std::size_t produced = 0;
    const std::size_t target = static_cast<std::size_t>(expected);
    zs.next_in = const_cast<Bytef*>(compressed.data());
    zs.avail_in = static_cast<uInt>(compressed.size());
    while (produced < target) {
        std::size_t grow = std::max<std::size_t>(out.size(), 64 * 1024);
        out.resize(std::min(target, out.size() + grow));
        zs.next_out = out.data() + produced;
        zs.avail_out = static_cast<uInt>(out.size() - produced);
        int rc = inflate(&zs, Z_NO_FLUSH);
        produced = out.size() - zs.avail_out;
        if (rc == Z_STREAM_END) break;
        if (rc == Z_BUF_ERROR && zs.avail_in == 0) break;  // input used up
        if (rc != Z_OK && rc != Z_BUF_ERROR) Fail(L"ошибка в сжатых данных");
    }
    if (produced < target) Fail(L"данных изображения меньше, чем нужно");
    return out;
}

// The Paeth predictor (nearest of left, above and upper left), without
// branches: the window's images are noisy textures, on which branches mispredict.
inline uint8_t Paeth(int a, int b, int c) {
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    const int ab = pb < pa ? b : a;
    const int pab = pb < pa ? pb : pa;
    return static_cast<uint8_t>(pc < pab ? c : ab);
}

// Undoes the row filters of one pass in place; `data` holds rows of
// (1 + rowBytes) bytes, the first byte of each being its filter type. The
// first `step` bytes of a row have no left neighbour and the first row no
// row above; each case handles those parts apart, so its inner loop tests
// nothing but its end.
void Unfilter(uint8_t* data, uint64_t rowBytes, uint32_t rows, unsigned step) {
    const uint8_t* prev = nullptr;
    const uint64_t head = std::min<uint64_t>(step, rowBytes);
    for (uint32_t y = 0; y < rows; ++y) {
        uint8_t* line = data + y * (rowBytes + 1);
        uint8_t filter = line[0];
        uint8_t* cur = line + 1;
        switch (filter) {
        case 0: break;
        case 1:
            for (uint64_t i = step; i < rowBytes; ++i) cur[i] = uint8_t(cur[i] + cur[i - step]);
            break;
        case 2:
            if (prev)
                for (uint64_t i = 0; i < rowBytes; ++i) cur[i] = uint8_t(cur[i] + prev[i]);
            break;
        case 3:
            if (prev) {
                for (uint64_t i = 0; i < head; ++i) cur[i] = uint8_t(cur[i] + (prev[i] >> 1));
                for (uint64_t i = head; i < rowBytes; ++i)
                    cur[i] = uint8_t(cur[i] + ((cur[i - step] + prev[i]) >> 1));
            } else {
                for (uint64_t i = head; i < rowBytes; ++i) cur[i] = uint8_t(cur[i] + (cur[i - step] >> 1));
            }
            break;
        case 4:
            // Without a row above the predictor is the left byte; without a
            // left byte it is the byte above.
            if (prev) {
                for (uint64_t i = 0; i < head; ++i) cur[i] = uint8_t(cur[i] + prev[i]);
                for (uint64_t i = head; i < rowBytes; ++i)
                    cur[i] = uint8_t(cur[i] + Paeth(cur[i - step], prev[i], prev[i - step]));
            } else {
                for (uint64_t i = head; i < rowBytes; ++i) cur[i] = uint8_t(cur[i] + cur[i - step]);
            }
            break;
        default: Fail(L"неизвестный фильтр строки");
        }
        prev = cur;
    }
}

struct TPalette {
    std::array<uint8_t, 256 * 3> Rgb{};
    std::array<uint8_t, 256> Alpha{};
    unsigned Count = 0;
};

struct TTransparency {
    bool Present = false;
    uint16_t Key[3] = {0, 0, 0};  // gray, or red/green/blue
};

unsigned Sample(const uint8_t* row, uint64_t index, unsigned depth) {
    switch (depth) {
    case 8: return row[index];
    case 16: return (unsigned(row[2 * index]) << 8) | row[2 * index + 1];
    default: {
        uint64_t bit = index * depth;
        unsigned shift = 8 - depth - unsigned(bit % 8);
        return (row[bit / 8] >> shift) & ((1u << depth) - 1);
    }
    }
}

uint8_t To8(unsigned v, unsigned depth) {
    switch (depth) {
    case 1: return v ? 255 : 0;
    case 2: return uint8_t(v * 85);
    case 4: return uint8_t(v * 17);
    case 8: return uint8_t(v);
    default: return uint8_t(v >> 8);
    }
}

void StorePass(const THeader& h, const TPass& pass, const uint8_t* data, const TPalette& pal,
               const TTransparency& trns, TPngImage& img) {
    const uint64_t rowBytes = h.RowBytes(pass.Width);
    const unsigned d = h.Depth;
    // 8-bit grey, RGB and RGBA without a transparent colour: one plain loop
    // per row (the window's large images are of these kinds).
    if (d == 8 && !trns.Present && (h.ColorType == 0 || h.ColorType == 2 || h.ColorType == 6)) {
        const unsigned n = h.Channels;
        for (uint32_t y = 0; y < pass.Height; ++y) {
            const uint8_t* src = data + y * (rowBytes + 1) + 1;
            const uint64_t outY = uint64_t(pass.Y0) + uint64_t(y) * pass.Dy;
            uint8_t* p = img.Bgra.data() + (outY * h.Width + pass.X0) * 4;
            const uint64_t stride = uint64_t(pass.Dx) * 4;
            for (uint32_t x = 0; x < pass.Width; ++x, src += n, p += stride) {
                if (n == 1) {
                    p[0] = p[1] = p[2] = src[0];
                    p[3] = 255;
                } else {
                    p[0] = src[2]; p[1] = src[1]; p[2] = src[0];
                    p[3] = n == 4 ? src[3] : 255;
                }
            }
        }
        return;
    }
    for (uint32_t y = 0; y < pass.Height; ++y) {
        const uint8_t* row = data + y * (rowBytes + 1) + 1;
        uint64_t outY = uint64_t(pass.Y0) + uint64_t(y) * pass.Dy;
        for (uint32_t x = 0; x < pass.Width; ++x) {
            uint64_t outX = uint64_t(pass.X0) + uint64_t(x) * pass.Dx;
            uint8_t* p = img.Bgra.data() + (outY * h.Width + outX) * 4;
            uint8_t r, g, b, a = 255;
            switch (h.ColorType) {
            case 0: {
                unsigned v = Sample(row, x, d);
                r = g = b = To8(v, d);
                if (trns.Present && v == trns.Key[0]) a = 0;
                break;
            }
            case 2: {
                unsigned vr = Sample(row, uint64_t(x) * 3, d), vg = Sample(row, uint64_t(x) * 3 + 1, d),
                         vb = Sample(row, uint64_t(x) * 3 + 2, d);
                r = To8(vr, d); g = To8(vg, d); b = To8(vb, d);
                if (trns.Present && vr == trns.Key[0] && vg == trns.Key[1] && vb == trns.Key[2]) a = 0;
                break;
            }
            case 3: {
                unsigned i = Sample(row, x, d);
                if (i >= pal.Count) Fail(L"индекс цвета вне палитры");
                r = pal.Rgb[i * 3]; g = pal.Rgb[i * 3 + 1]; b = pal.Rgb[i * 3 + 2];
                a = pal.Alpha[i];
                break;
            }
            case 4:
                r = g = b = To8(Sample(row, uint64_t(x) * 2, d), d);
                a = To8(Sample(row, uint64_t(x) * 2 + 1, d), d);
                break;
            default:
                r = To8(Sample(row, uint64_t(x) * 4, d), d);
                g = To8(Sample(row, uint64_t(x) * 4 + 1, d), d);
                b = To8(Sample(row, uint64_t(x) * 4 + 2, d), d);
                a = To8(Sample(row, uint64_t(x) * 4 + 3, d), d);
                break;
            }
            p[0] = b; p[1] = g; p[2] = r; p[3] = a;
        }
    }
}

}  // namespace

uint32_t PngCrc32(std::span<const uint8_t> data, uint32_t crc) {
    crc = ~crc;
    for (uint8_t byte : data) crc = kCrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t TPngImage::Pixel(uint32_t x, uint32_t y) const {
    const uint8_t* p = Bgra.data() + (uint64_t(y) * Width + x) * 4;
    return (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}

TPngImage DecodePng(std::span<const uint8_t> data, std::size_t maxPixelBytes) {
    if (data.size() < 8 || !std::equal(data.begin(), data.begin() + 8, kSignature))
        Fail(L"нет подписи PNG");

    THeader h;
    TPalette pal;
    pal.Alpha.fill(255);
    TTransparency trns;
    std::vector<uint8_t> idat;
    bool haveHeader = false, havePalette = false, haveTrns = false;
    bool inIdat = false, idatDone = false, haveEnd = false;

    std::size_t pos = 8;
    while (!haveEnd) {
        if (data.size() - pos < 12) Fail(L"файл обрезан");
        const uint8_t* p = data.data() + pos;
        uint32_t len = ReadBe32(p);
        const uint8_t* type = p + 4;
        const uint8_t* body = p + 8;
        if (len > 0x7FFFFFFFu || data.size() - pos - 12 < len) Fail(L"файл обрезан");
        for (int i = 0; i < 4; ++i)
            if (!((type[i] >= 'A' && type[i] <= 'Z') || (type[i] >= 'a' && type[i] <= 'z')))
                Fail(L"недопустимое имя блока");
        if (PngCrc32({type, std::size_t(len) + 4}) != ReadBe32(body + len))
            Fail(L"неверная контрольная сумма блока " + ChunkName(type));
        pos += std::size_t(len) + 12;

        const bool isIdat = IsChunk(type, "IDAT");
        if (!haveHeader && !IsChunk(type, "IHDR")) Fail(L"первый блок не IHDR");
        if (inIdat && !isIdat) { inIdat = false; idatDone = true; }

        if (IsChunk(type, "IHDR")) {
            if (haveHeader) Fail(L"повторный блок IHDR");
            h = ParseHeader(body, len, maxPixelBytes);
            haveHeader = true;
        } else if (IsChunk(type, "PLTE")) {
            if (havePalette || haveTrns || inIdat || idatDone) Fail(L"блок PLTE не на своём месте");
            if (h.ColorType == 0 || h.ColorType == 4) Fail(L"палитра у изображения в оттенках серого");
            if (len == 0 || len % 3 != 0 || len > 256 * 3) Fail(L"неверная длина палитры");
            std::copy(body, body + len, pal.Rgb.begin());
            pal.Count = len / 3;
            havePalette = true;
        } else if (IsChunk(type, "tRNS")) {
            if (haveTrns || inIdat || idatDone) Fail(L"блок tRNS не на своём месте");
            haveTrns = true;
            switch (h.ColorType) {
            case 0:
                if (len != 2) Fail(L"неверная длина блока tRNS");
                trns.Present = true;
                trns.Key[0] = uint16_t((body[0] << 8) | body[1]);
                break;
            case 2:
                if (len != 6) Fail(L"неверная длина блока tRNS");
                trns.Present = true;
                for (int i = 0; i < 3; ++i) trns.Key[i] = uint16_t((body[2 * i] << 8) | body[2 * i + 1]);
                break;
            case 3:
                if (!havePalette || len > pal.Count) Fail(L"неверная длина блока tRNS");
                std::copy(body, body + len, pal.Alpha.begin());
                break;
            default: Fail(L"блок tRNS у изображения с альфа-каналом");
            }
        } else if (isIdat) {
            if (idatDone) Fail(L"блоки IDAT идут не подряд");
            inIdat = true;
            idat.insert(idat.end(), body, body + len);
        } else if (IsChunk(type, "IEND")) {
            haveEnd = true;
        } else if ((type[0] & 0x20) == 0) {
            Fail(L"неизвестный обязательный блок " + ChunkName(type));
        }
    }
    if (h.ColorType == 3 && !havePalette) Fail(L"нет палитры");
    if (idat.empty() && !inIdat && !idatDone) Fail(L"нет данных изображения");

    std::vector<TPass> passes = Passes(h);
    uint64_t expected = 0;
    for (const TPass& pass : passes)
        if (pass.Width && pass.Height) expected += uint64_t(pass.Height) * (h.RowBytes(pass.Width) + 1);
    std::vector<uint8_t> raw = Inflate(idat, expected);

    TPngImage img;
    img.Width = h.Width;
    img.Height = h.Height;
    img.Bgra.resize(std::size_t(h.Width) * h.Height * 4);
    uint8_t* cursor = raw.data();
    for (const TPass& pass : passes) {
        if (!pass.Width || !pass.Height) continue;
        uint64_t rowBytes = h.RowBytes(pass.Width);
        Unfilter(cursor, rowBytes, pass.Height, h.FilterStep());
        StorePass(h, pass, cursor, pal, trns, img);
        cursor += pass.Height * (rowBytes + 1);
    }
    return img;
}

void FlattenOntoWhite(TPngImage& image) {
    for (std::size_t i = 0; i + 3 < image.Bgra.size(); i += 4) {
        uint8_t* p = &image.Bgra[i];
        unsigned a = p[3];
        if (a != 255) {
            for (int c = 0; c < 3; ++c) p[c] = uint8_t((p[c] * a + 255 * (255 - a) + 127) / 255);
            p[3] = 255;
        }
    }
}
