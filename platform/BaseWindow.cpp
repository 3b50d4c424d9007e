#include "platform/BaseWindow.h"

#include <utility>

#include "platform/AppError.h"
#include "platform/ErrorBox.h"

namespace {

// A call carried from another thread to the window's (RunOnWindowThread).
constexpr UINT WM_RUN_ON_WINDOW_THREAD = WM_APP + 0x3F00;

struct TWindowThreadCall {
    const std::function<void()>* Work;
    std::exception_ptr Error;
    bool Ran = false;
};

}  // namespace

bool TBaseWindow::RegisterWindowClass(HINSTANCE instance, const TWindowClassSpec& spec) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(instance, spec.Name, &wc)) return true;
    wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = spec.Proc ? spec.Proc : WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = spec.Icon;
    wc.hIconSm = spec.SmallIcon;
    wc.hbrBackground = spec.Background;
    wc.lpszClassName = spec.Name;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

TBaseWindow::~TBaseWindow() { DestroyHandle(); }

void TBaseWindow::DestroyHandle() {
    if (!FHandle) return;
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(std::exchange(FHandle, nullptr));
}

void TBaseWindow::CreateHandle(DWORD exStyle, const wchar_t* className, const wchar_t* title,
                               DWORD style, int x, int y, int width, int height, HWND parent,
                               HINSTANCE instance) {
    FCreating = true;
    FCreateError = nullptr;
    const HWND hwnd = CreateWindowExW(exStyle, className, title, style, x, y, width, height,
                                      parent, nullptr, instance, this);
    FCreating = false;
    if (FCreateError) {
        // A window that got as far as existing goes without its handlers.
        if (hwnd) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            DestroyWindow(hwnd);
        }
        FHandle = nullptr;
        std::rethrow_exception(std::exchange(FCreateError, nullptr));
    }
    FHandle = hwnd;
}

void TBaseWindow::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        ReportError(std::current_exception());
    }
}

void TBaseWindow::RunOnWindowThread(const std::function<void()>& work) {
    const HWND hwnd = FHandle;
    if (hwnd && GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId()) {
        work();
        return;
    }
    TWindowThreadCall call{&work, nullptr, false};
    if (hwnd) SendMessageW(hwnd, WM_RUN_ON_WINDOW_THREAD, 0, reinterpret_cast<LPARAM>(&call));
    if (!call.Ran) throw EAppError(L"The window is gone.");
    if (call.Error) std::rethrow_exception(call.Error);
}

LRESULT TBaseWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(FHandle, msg, wParam, lParam);
}

void TBaseWindow::ReportError(std::exception_ptr error) { ShowErrorBox(FHandle, ErrorText(error)); }

LRESULT TBaseWindow::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        if (msg == WM_CREATE) OnCreate();
        return HandleMessage(msg, wParam, lParam);
    } catch (...) {
        // No exception may cross the system's window code.
        if (FCreating) {
            if (!FCreateError) FCreateError = std::current_exception();
            return msg == WM_NCCREATE ? FALSE : msg == WM_CREATE ? -1 : 0;
        }
        ReportError(std::current_exception());
        return 0;
    }
}

LRESULT CALLBACK TBaseWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TBaseWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<TBaseWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->FHandle = hwnd;
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_RUN_ON_WINDOW_THREAD) {
        // The caller waits for the outcome, errors included: they are its own.
        auto* call = reinterpret_cast<TWindowThreadCall*>(lParam);
        call->Ran = true;
        try {
            (*call->Work)();
        } catch (...) {
            call->Error = std::current_exception();
        }
        return 0;
    }
    const LRESULT result = self->Dispatch(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->FHandle = nullptr;
    }
    return result;
}
