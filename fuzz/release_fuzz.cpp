// Fuzz target for the release-package rules: each input line is a package path
// under backup\. A date key is six digits read as YYMMDD or an EAppError; the
// chosen package has the greatest key and is the first of its key.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "install/ReleasePackages.h"
#include "platform/AppError.h"
#include "shared/TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TTextEncoding found;
    const std::wstring text = DecodeText(
        std::string_view(reinterpret_cast<const char*>(data), size), found, Latin1Codec());
    std::vector<std::wstring> paths;
    for (const std::wstring& line : SplitLines(text, 64)) paths.push_back(L"C:\\T\\backup\\" + line);
    if (!text.empty() && paths.empty()) paths.push_back(L"C:\\T\\backup\\" + text);

    std::vector<long> keys;
    bool allValid = true;
    for (const std::wstring& p : paths) {
        try {
            const long key = DateKey(p);
            if (key < 0 || key > 999999) std::abort();
            const std::wstring tail = p.substr(p.size() - 6);
            for (wchar_t c : tail)
                if (c < L'0' || c > L'9') std::abort();
            keys.push_back(key);
        } catch (const EAppError& e) {
            if (e.Message().empty()) std::abort();
            allValid = false;
            keys.push_back(-1);
        }
        const std::wstring level = ReleaseLevel(p);
        if (level.size() + 1 != p.size() - p.find_last_of(L"\\/") - 1 && !level.empty()) std::abort();
    }

    try {
        const std::size_t best = NewestPackage(paths, L"C:\\T\\backup\\");
        if (!allValid || best >= paths.size()) std::abort();
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] > keys[best]) std::abort();
            if (i < best && keys[i] == keys[best]) std::abort();
        }
    } catch (const EAppError& e) {
        if (allValid && !paths.empty()) std::abort();
        if (e.Message().empty()) std::abort();
    }
    return 0;
}
