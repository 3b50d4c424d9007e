// A program with a hung window: its main thread makes a top-level window and
// then stops answering messages. A second thread keeps a responsive window that
// counts the WM_FONTCHANGE broadcasts it gets in its title ("fontchange N").
// Both end when the named event given on the command line is set.
#include <windows.h>

#include <string>

namespace {

int FontChanges = 0;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_FONTCHANGE) {
        const std::wstring title = L"fontchange " + std::to_wstring(++FontChanges);
        SetWindowTextW(hwnd, title.c_str());
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeWindow(const wchar_t* className, WNDPROC proc, const wchar_t* title) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    return CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

DWORD WINAPI Responsive(void* quit) {
    MakeWindow(L"ResponsiveFontWindow", CountingProc, L"fontchange 0");
    while (MsgWaitForMultipleObjects(1, reinterpret_cast<HANDLE*>(&quit), FALSE, INFINITE,
                                     QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    HANDLE quit = OpenEventW(SYNCHRONIZE, FALSE, commandLine);
    if (!quit) return 2;
    MakeWindow(L"HungFontWindow", DefWindowProcW, L"hung");
    HANDLE thread = CreateThread(nullptr, 0, Responsive, quit, 0, nullptr);
    // From here on this thread answers nothing.
    WaitForSingleObject(quit, INFINITE);
    WaitForSingleObject(thread, INFINITE);
    return 0;
}
