#include "app/HotTracking.h"

namespace {
constexpr wchar_t kHotProp[] = L"DecoHot";
}

bool IsHot(HWND hwnd) { return GetPropW(hwnd, kHotProp) != nullptr; }

void SetHot(HWND hwnd, bool hot, DWORD trackFlags) {
    if (hot == IsHot(hwnd)) return;
    if (hot) {
        SetPropW(hwnd, kHotProp, reinterpret_cast<HANDLE>(1));
        TRACKMOUSEEVENT tme = {sizeof(tme), trackFlags, hwnd, 0};
        TrackMouseEvent(&tme);
    } else {
        ClearHot(hwnd);
    }
}

void ClearHot(HWND hwnd) { RemovePropW(hwnd, kHotProp); }

bool CursorOver(HWND hwnd) {
    POINT pt;
    RECT rc;
    return GetCursorPos(&pt) && GetWindowRect(hwnd, &rc) && PtInRect(&rc, pt);
}
