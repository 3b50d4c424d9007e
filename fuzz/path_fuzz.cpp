// Fuzz target for the path page's rules: whatever the operator types, the
// result is empty, a root (three characters or fewer) or an accepted folder
// that ends with one backslash and has no blanks or control characters at its ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/PathRules.h"
#include "shared/TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TTextEncoding found;
    const std::wstring typed = DecodeText(
        std::string_view(reinterpret_cast<const char*>(data), size), found, Latin1Codec());
    const TPathResult r = NormalizeInstallPath(typed);
    switch (r.check) {
        case TPathCheck::Empty:
            if (!r.path.empty() || !TrimControl(typed).empty()) std::abort();
            break;
        case TPathCheck::Root:
            if (r.path.size() > 3 || r.path.back() != L'\\') std::abort();
            break;
        case TPathCheck::Accepted:
            if (r.path.size() <= 3 || r.path.back() != L'\\') std::abort();
            if (r.path.front() <= L' ') std::abort();
            if (typed.find(r.path.substr(0, r.path.size() - 1)) == std::wstring::npos) std::abort();
            // Normalising again changes nothing.
            if (NormalizeInstallPath(r.path).path != r.path) std::abort();
            break;
    }
    return 0;
}
