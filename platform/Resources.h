// Raw resources of a module.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>

// Bytes of the RT_RCDATA resource `name` of `module` (nullptr: the program's
// own); empty when there is no such resource.
std::span<const uint8_t> ResourceBytes(HMODULE module, const wchar_t* name);
