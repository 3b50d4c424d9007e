#include "platform/ShutdownBlock.h"

namespace {

using TReasonCreate = BOOL(WINAPI*)(HWND, LPCWSTR);
using TReasonDestroy = BOOL(WINAPI*)(HWND);

// user32 is loaded with the program; only its exports are looked up here.
FARPROC User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}

}  // namespace

bool SetShutdownBlockReason(HWND window, const std::wstring& reason) {
    auto create = reinterpret_cast<TReasonCreate>(
        reinterpret_cast<void*>(User32Function("ShutdownBlockReasonCreate")));
    return create != nullptr && create(window, reason.c_str()) != FALSE;
}

void ClearShutdownBlockReason(HWND window) {
    auto destroy = reinterpret_cast<TReasonDestroy>(
        reinterpret_cast<void*>(User32Function("ShutdownBlockReasonDestroy")));
    if (destroy != nullptr) destroy(window);
}
