// Fuzz target for the PNG decoder: any input either decodes to an image of the
// declared size or raises EAppError; nothing else may happen. Each input is
// decoded as given and once more with every chunk checksum repaired, so that
// mutations reach the code behind the checksum test.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/PngImage.h"
#include "platform/AppError.h"

namespace {

void DecodeOne(std::span<const uint8_t> data) {
    try {
        TPngImage img = DecodePng(data);
        if (img.Bgra.size() != std::size_t(img.Width) * img.Height * 4 ||
            img.Bgra.size() > kMaxPngPixelBytes)
            std::abort();
        FlattenOntoWhite(img);
        for (std::size_t i = 3; i < img.Bgra.size(); i += 4)
            if (img.Bgra[i] != 255) std::abort();
    } catch (const EAppError&) {
    }
}

uint32_t Be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecodeOne(std::span(data, size));

    std::vector<uint8_t> fixed(data, data + size);
    bool changed = false;
    for (std::size_t pos = 8; pos + 12 <= fixed.size();) {
        uint32_t len = Be32(&fixed[pos]);
        if (len > fixed.size() - pos - 12) break;
        uint32_t crc = PngCrc32(std::span(&fixed[pos + 4], std::size_t(len) + 4));
        uint8_t* at = &fixed[pos + 8 + len];
        if (Be32(at) != crc) {
            for (int i = 0; i < 4; ++i) at[i] = uint8_t(crc >> (24 - 8 * i));
            changed = true;
        }
        pos += std::size_t(len) + 12;
    }
    if (changed) DecodeOne(fixed);
    return 0;
}
