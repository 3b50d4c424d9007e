#include "platform/ShutdownBlock.h"

#include "platform/SystemLibrary.h"

namespace {

using TReasonCreate = BOOL(WINAPI*)(HWND, LPCWSTR);
using TReasonDestroy = BOOL(WINAPI*)(HWND);

}  // namespace

bool SetShutdownBlockReason(HWND window, const std::wstring& reason) {
    const auto create = LateFunction<TReasonCreate>(L"user32.dll", "ShutdownBlockReasonCreate");
    return create != nullptr && create(window, reason.c_str()) != FALSE;
}

void ClearShutdownBlockReason(HWND window) {
    const auto destroy = LateFunction<TReasonDestroy>(L"user32.dll", "ShutdownBlockReasonDestroy");
    if (destroy != nullptr) destroy(window);
}
