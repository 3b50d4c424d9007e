// Fuzz target for the media checker's readers: the release-information scan and
// the TrueType check. Any bytes give a verdict with its reason, never a crash;
// a well-formed document has a root, a refused one says why.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tools/mediacheck/TrueTypeName.h"
#include "tools/mediacheck/XmlScan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] & 1) {
        const auto scan = mediacheck::ScanReleaseInfo(bytes, 1 + data[0] % 64);
        if (scan.wellFormed != scan.error.empty()) std::abort();
        if (scan.wellFormed && scan.root.empty()) std::abort();
        if (scan.version) mediacheck::VersionNumber(*scan.version);
        mediacheck::VersionNumber(bytes.substr(0, 32));
    } else {
        const auto font = mediacheck::CheckTrueTypeBytes(bytes);
        if (font.ok != font.problem.empty()) std::abort();
        if (font.ok && font.fullName.empty()) std::abort();
    }
    return 0;
}
