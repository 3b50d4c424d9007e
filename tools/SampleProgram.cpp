// A program of the sample complex. The media carries it under the complex's
// program names (Shell.exe, ...), so an installation deploys real programs and
// the desktop shortcut points at something that starts. Started with
// "--version" it writes its own name to the console; otherwise it only
// shows that it started, in a window titled with its file name, and closes
// after a few seconds.
#include <windows.h>

#include <string>

static std::wstring ModuleName() {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(p.find_last_of(L'\\') + 1);
}

static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER) DestroyWindow(hwnd);
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR args, int show) {
    const std::wstring name = ModuleName();
    if (args && std::wstring(args).find(L"--version") != std::wstring::npos) return 0;
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"SampleComplexProgram";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowW(wc.lpszClassName, (L"Велитор - Vudeze: " + name).c_str(),
                              WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400, 120, nullptr,
                              nullptr, instance, nullptr);
    ShowWindow(hwnd, show);
    SetTimer(hwnd, 1, 3000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
