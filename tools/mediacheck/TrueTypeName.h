// Reads what a font file must offer before the installer registers it: a
// TrueType outline font with a full name (the text that becomes the registry
// value "<name> (TrueType)"). Every offset in the file is bounds-checked.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace mediacheck {

struct TFontCheck {
    bool ok = false;
    std::string problem;   // why the file is refused (empty when ok)
    std::string fullName;  // UTF-8, the name record the installer takes (ChooseFontName) when ok
};

// The font held in memory (bytes of a whole file).
TFontCheck CheckTrueTypeBytes(std::string_view data);

// Reads at most maxBytes of the file; bigger files are refused.
TFontCheck CheckTrueTypeFile(const std::filesystem::path& file, std::uintmax_t maxBytes = 64u << 20);

}  // namespace mediacheck
