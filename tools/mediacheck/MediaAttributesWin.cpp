#include <windows.h>

#include "tools/mediacheck/MediaAttributes.h"

namespace mediacheck {

uint32_t ReadMediaAttributes(const std::filesystem::path& p) {
    DWORD a = GetFileAttributesW(p.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return 0;
    return a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

}  // namespace mediacheck
