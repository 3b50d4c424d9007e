#include "windows/ApplicationWindow.h"

#include <memory>

#include "platform/AppError.h"
#include "resources/ids.h"

TApplicationWindow* Application = nullptr;

namespace {

// Posted to itself: activation is handed on once the system has finished
// activating this window.
constexpr UINT WM_ACTIVATE_TOP = WM_APP + 1;

}  // namespace

void TApplicationWindow::Create(HINSTANCE instance, const std::wstring& title) {
    TWindowClassSpec spec{ClassName()};
    // The taskbar and Alt+Tab show the program's icon from here.
    spec.Icon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    spec.SmallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), 0));
    if (!RegisterWindowClass(instance, spec)) throw EAppError(L"Не удалось зарегистрировать окно приложения");
    // A title and a system menu for the taskbar's button and its menu; no size,
    // and left of every monitor, so nothing of it is ever drawn.
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN) - 100;
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN) - 100;
    CreateHandle(0, ClassName(), title.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, x, y,
                 0, 0, nullptr, instance);
    if (!FHandle) throw EAppError(L"Не удалось создать окно приложения");
    ShowWindow(FHandle, SW_SHOWNOACTIVATE);
}

void TApplicationWindow::Minimize() { ShowWindow(FHandle, SW_MINIMIZE); }

void TApplicationWindow::ActivateTopWindow() {
    // The window most recently active down the chain of owned windows: the
    // main window, or a box open over it.
    HWND top = FHandle;
    for (HWND next = GetLastActivePopup(top); next != top && IsWindowVisible(next);
         next = GetLastActivePopup(top))
        top = next;
    if (top == FHandle) top = FMainWindow;
    if (top && IsWindowVisible(top) && IsWindowEnabled(top)) SetActiveWindow(top);
}

LRESULT TApplicationWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(FHandle)) PostMessageW(FHandle, WM_ACTIVATE_TOP, 0, 0);
        break;
    case WM_ACTIVATE_TOP:
        ActivateTopWindow();
        return 0;
    case WM_SIZE:
        // However the program is minimised or restored (the main window's
        // button, the taskbar), its windows go and come back with it.
        if (wParam == SIZE_MINIMIZED && !FMinimized) {
            FMinimized = true;
            ShowOwnedPopups(FHandle, FALSE);
        } else if (wParam == SIZE_RESTORED && FMinimized) {
            FMinimized = false;
            ShowOwnedPopups(FHandle, TRUE);
            PostMessageW(FHandle, WM_ACTIVATE_TOP, 0, 0);
        }
        break;
    case WM_CLOSE:
        // "Close window" on the taskbar: the main window's close rule decides.
        if (FMainWindow) PostMessageW(FMainWindow, WM_CLOSE, 0, 0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(FHandle, msg, wParam, lParam);
}

void CreateApplicationWindow(HINSTANCE instance, const std::wstring& title) {
    if (Application) return;
    auto w = std::make_unique<TApplicationWindow>();
    w->Create(instance, title);
    Application = w.release();
}

void DestroyApplicationWindow() {
    delete Application;
    Application = nullptr;
}

HWND ApplicationHandle() { return Application ? Application->Handle() : nullptr; }
