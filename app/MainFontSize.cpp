// The large-font page.
#include "app/Main.h"

#include "desktop/LargeFont.h"
#include "platform/WinUtil.h"

namespace {

const wchar_t* const RestartQuestion =
    L"Изменения в настройки внесены, для того чтобы они\r\n"
    L"вступили в силу, требуется перзагрузить операционную систему.\r\n"
    L"Выполнить перезагрузку сейчас?";

}  // namespace

void TFMain::ChangeFontSize() {
    // The system shows its own window; whether it ran is not reported.
    CallSetupChangeFontSize(nullptr, L"120");
}

void TFMain::BtnChangeFontClick() {
    ChangeFontSize();
    if (MessageBoxW(FHandle, RestartQuestion, L"Warning", MB_ICONWARNING | MB_YESNO) != IDYES)
        return;
    // The window closes whether or not the system accepted the restart.
    RestartWindows(EWX_REBOOT | EWX_FORCE);
    PostMessageW(FHandle, WM_CLOSE, 0, 0);
}
