// File attributes as the installer's platform sees them on the media.
#pragma once
#include <cstdint>
#include <filesystem>

namespace mediacheck {

inline constexpr uint32_t kAttrReadOnly = 0x01;
inline constexpr uint32_t kAttrHidden = 0x02;
inline constexpr uint32_t kAttrSystem = 0x04;

// Read-only, hidden and system bits of a file or folder; 0 when unreadable.
// On Windows the file system's own bits; elsewhere what Wine would report for
// the same files: no write permission is read-only, a leading dot or the
// DOS attribute record of the extended attributes is hidden or system.
uint32_t ReadMediaAttributes(const std::filesystem::path& p);

}  // namespace mediacheck
