#include "platform/Resources.h"

std::span<const uint8_t> ResourceBytes(HMODULE module, const wchar_t* name) {
    if (!module) module = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!res) return {};
    HGLOBAL handle = LoadResource(module, res);
    const void* data = handle ? LockResource(handle) : nullptr;
    if (!data) return {};
    return {static_cast<const uint8_t*>(data), SizeofResource(module, res)};
}
