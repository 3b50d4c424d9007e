// The font step of the installation and the large-font page.
#include "app/Main.h"

#include "desktop/Fonts.h"
#include "desktop/LargeFont.h"
#include "install/FileHelpers.h"
#include "install/MediaLayout.h"
#include "platform/WinUtil.h"

namespace {

const wchar_t* const RestartQuestion =
    L"Изменения в настройки внесены, для того чтобы они\r\n"
    L"вступили в силу, требуется перзагрузить операционную систему.\r\n"
    L"Выполнить перезагрузку сейчас?";

}  // namespace

void TFMain::InstallFonts() {
    // From the media's fonts folder beside the program into the system's; a
    // copy that cannot start or breaks off ends the step.
    InstallFontFiles(*this, ExeFolder() + FontsSubfolder, GetWindowsFolder() + L"fonts\\", StreamCopyFile);
}

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
