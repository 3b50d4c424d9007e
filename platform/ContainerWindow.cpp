#include "platform/ContainerWindow.h"

#include "platform/BaseWindow.h"

namespace {

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
        if (HWND parent = GetParent(hwnd)) return SendMessageW(parent, msg, wParam, lParam);
        break;
    case WM_ERASEBKGND: {
        HWND parent = GetParent(hwnd);
        const auto brush = reinterpret_cast<HBRUSH>(
            parent ? SendMessageW(parent, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(hwnd)) : 0);
        if (!brush) break;
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, brush);
        return 1;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

bool RegisterContainerClass(HINSTANCE instance) {
    TWindowClassSpec spec{ContainerClassName, ContainerProc};
    spec.Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    return TBaseWindow::RegisterWindowClass(instance, spec);
}

HWND CreateContainer(HWND parent, int id, int x, int y, int width, int height, DWORD style,
                     HINSTANCE instance) {
    return CreateWindowExW(WS_EX_CONTROLPARENT, ContainerClassName, L"", WS_CHILD | WS_CLIPSIBLINGS | style,
                           x, y, width, height, parent, reinterpret_cast<HMENU>(INT_PTR(id)), instance,
                           nullptr);
}
