#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/AppError.h"
#include "platform/BaseWindow.h"
#include "platform/ErrorBox.h"

namespace {

constexpr UINT WM_FAIL = WM_APP + 1;

// Records what the dispatch reports instead of showing a box.
class TProbeWindow : public TBaseWindow {
public:
    explicit TProbeWindow(bool failCreate) : FFailCreate(failCreate) {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        EXPECT_TRUE(RegisterWindowClass(instance, TWindowClassSpec{L"TProbeWindow"}));
        CreateHandle(0, L"TProbeWindow", L"", WS_POPUP, 0, 0, 100, 100, nullptr, instance);
    }
    ~TProbeWindow() override { DestroyHandle(); }

    HWND Child = nullptr;
    std::vector<std::wstring> Reported;

protected:
    void OnCreate() override {
        // The window is bound already: children take it as their parent.
        Child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, FHandle, nullptr, nullptr, nullptr);
        if (FFailCreate) throw EAppError(L"no children");
    }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_FAIL) throw std::runtime_error("\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0");  // "Ошибка"
        return TBaseWindow::HandleMessage(msg, wParam, lParam);
    }
    void ReportError(std::exception_ptr error) override { Reported.push_back(ErrorText(error)); }

private:
    bool FFailCreate;
};

}  // namespace

TEST(BaseWindow, ChildrenAreMadeInCreationAndAHandlerErrorIsReportedOnceAsUtf8Text) {
    TProbeWindow w(false);
    ASSERT_NE(w.Handle(), nullptr);
    EXPECT_EQ(GetParent(w.Child), w.Handle());
    EXPECT_EQ(SendMessageW(w.Handle(), WM_FAIL, 0, 0), 0);
    ASSERT_EQ(w.Reported.size(), 1u);
    EXPECT_EQ(w.Reported[0], L"Ошибка");
    // The window keeps answering after the error.
    EXPECT_TRUE(SetWindowTextW(w.Handle(), L"still here"));
}

TEST(BaseWindow, AnErrorDuringCreationEndsItAndReachesTheCreator) {
    try {
        TProbeWindow w(true);
        FAIL() << "creation did not raise";
    } catch (const EAppError& e) {
        EXPECT_EQ(e.Message(), L"no children");
    }
    EXPECT_EQ(FindWindowW(L"TProbeWindow", nullptr), nullptr);
}

TEST(BaseWindow, AWindowDestroyedByTheSystemIsNotDestroyedAgain) {
    TProbeWindow w(false);
    const HWND hwnd = w.Handle();
    DestroyWindow(hwnd);
    EXPECT_EQ(w.Handle(), nullptr);
}
