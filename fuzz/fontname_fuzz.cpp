// Fuzz target for the font name-table reader: any input gives a name or nothing,
// and the reader never looks outside the data (AddressSanitizer watches). A name
// never holds a zero character: it becomes part of a registry value name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "desktop/FontNameTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring name = FontFullName(data, size);
    if (name.find(L'\0') != std::wstring::npos) std::abort();
    return 0;
}
