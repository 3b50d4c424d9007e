// A small, bounded XML reader for the release-information file: checks that
// the text is well-formed and picks out the document element and the text of
// its first "Version" and "Level" children. It keeps no tree, so garbage,
// deep nesting and large files cost only a linear scan.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mediacheck {

struct TReleaseInfoScan {
    bool wellFormed = false;
    std::string error;                   // with the line number, when not well-formed
    std::string root;                    // name of the document element
    std::optional<std::string> version;  // text of ROOT's first Version child
    std::optional<std::string> level;    // text of ROOT's first Level child
};

// Bytes of the whole file: UTF-8 (with or without a byte-order mark) or UTF-16
// with a byte-order mark. Elements nested deeper than maxDepth are refused.
TReleaseInfoScan ScanReleaseInfo(std::string_view bytes, std::size_t maxDepth = 256);

// The integer a Version text stands for: blanks around it are allowed, nothing else.
std::optional<long long> VersionNumber(std::string_view text);

}  // namespace mediacheck
