// Checks a distribution folder against everything the installer reads from
// it and collects every problem at once. Pure: std::filesystem only; the
// platform's file attributes come in through TMediaOptions.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mediacheck {

enum class TSeverity { Problem, Note };

struct TFinding {
    TSeverity severity;
    std::string code;  // names the kind of fault: "missing", "case", "font", ...
    std::string text;  // one line, UTF-8
};

struct TMediaOptions {
    // Read-only, hidden and system bits (MediaAttributes.h); none when empty.
    std::function<uint32_t(const std::filesystem::path&)> attributes;
    // When set, the free space there is compared with what an installation needs.
    std::optional<std::filesystem::path> target;
    // Free bytes at a folder; std::filesystem::space when empty.
    std::function<std::optional<std::uintmax_t>(const std::filesystem::path&)> freeSpace;
};

struct TMediaReport {
    std::vector<TFinding> findings;
    std::optional<std::wstring> chosenPackage;  // folder name under backup
    std::uintmax_t mediaBytes = 0;   // everything the installer reads
    std::uintmax_t targetBytes = 0;  // room it needs in the installation folder
    std::uintmax_t fontsBytes = 0;   // room it needs in the Windows fonts folder

    std::size_t Problems() const;
    bool Has(std::string_view code) const;  // a problem with this code
};

TMediaReport CheckMedia(const std::filesystem::path& dist, const TMediaOptions& options = {});

// "problem [code] text" or "note: text".
std::string FormatFinding(const TFinding& f);

// 1536 -> "1.5 KiB", 3 << 30 -> "3.0 GiB".
std::string FormatBytes(std::uintmax_t bytes);

}  // namespace mediacheck
