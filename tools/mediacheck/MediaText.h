// Text helpers of the media checker: UTF-8 for reports, UTF-16/32 for names,
// the installer's way of comparing names without regard to letter case.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "shared/TextCodec.h"

namespace mediacheck {

using ::AppendUtf8;

// UTF-16 (native wchar_t on Windows) or UTF-32 (elsewhere) to UTF-8; lone
// surrogates become U+FFFD.
std::string ToUtf8(std::wstring_view text);

// UTF-8 to wide text; invalid bytes become U+FFFD, so any file name decodes.
std::wstring FromUtf8(std::string_view text);

// A path's text for reports and comparisons, whatever bytes the name holds.
std::string PathUtf8(const std::filesystem::path& p);
std::wstring PathWide(const std::filesystem::path& p);

// Letter case folded the way names on the target compare: Latin and Cyrillic.
wchar_t FoldCase(wchar_t c);
bool EqualNoCase(std::wstring_view a, std::wstring_view b);
// < 0, 0, > 0 as a case-insensitive ordering.
int CompareNoCase(std::wstring_view a, std::wstring_view b);

}  // namespace mediacheck
