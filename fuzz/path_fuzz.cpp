// Fuzz target for the installation folder's rules: whatever the operator types,
// the result is empty, a drive root or an accepted folder that ends with one
// backslash and has no blanks or control characters at its ends; made absolute
// beside a folder, it is absolute and a root only when the lexical rule said so
// or it climbs to one.
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
            if (r.path.back() != L'\\' || !IsDriveRoot(AbsoluteBeside(r.path, L"X:\\base\\"))) std::abort();
            break;
        case TPathCheck::Accepted:
            if (r.path.back() != L'\\') std::abort();
            if (r.path.front() <= L' ') std::abort();
            if (typed.find(r.path.substr(0, r.path.size() - 1)) == std::wstring::npos) std::abort();
            // Normalising again changes nothing.
            if (NormalizeInstallPath(r.path).path != r.path) std::abort();
            break;
    }
    if (r.check != TPathCheck::Empty) {
        const std::wstring full = AbsoluteBeside(r.path, L"X:\\base\\");
        const bool drive = full.size() >= 3 && full[1] == L':' && full[2] == L'\\';
        if (!drive && full.rfind(L"\\\\", 0) != 0) std::abort();
        if (full.find(L'/') != std::wstring::npos) std::abort();
        // Whatever it holds, the depth rule gives an answer without a fault.
        TInstalledNames names;
        names.Files = {r.path};
        names.DriverProgram = r.path;
        names.Scripts = {r.path};
        TooDeepReason(full, names);
    }
    return 0;
}
