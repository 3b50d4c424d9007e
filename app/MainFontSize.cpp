// The large-font page.
#include "app/Main.h"

#include "desktop/LargeFont.h"
#include "platform/WinUtil.h"

namespace {

const wchar_t* const RestartQuestion =
    L"Изменения в настройки внесены, для того чтобы они\r\n"
    L"вступили в силу, требуется перзагрузить операционную систему.\r\n"
    L"Выполнить перезагрузку сейчас?";

// Where the system offers no switch from here (Windows of today, or it failed).
const wchar_t* const ChangeFontSizeYourself =
    L"Программа установки не может изменить размер шрифта в этой версии Windows.\r\n"
    L"Установите \"крупный\" размер шрифта (125%) в настройках экрана Windows:\r\n"
    L"\"Панель управления\" - \"Экран\" или \"Параметры\" - \"Дисплей\" - \"Масштаб\".";

}  // namespace

bool TFMain::ChangeFontSize() { return CallSetupChangeFontSize(FHandle, L"120"); }

void TFMain::BtnChangeFontClick() {
    // No restart for a change that did not happen: the page stays as it was.
    if (!ChangeFontSize()) {
        ShowMessage(ChangeFontSizeYourself, TMsgKind::Warning, MB_OK);
        return;
    }
    if (MessageBoxW(FHandle, RestartQuestion, L"Warning", MB_ICONWARNING | MB_YESNO) != IDYES)
        return;
    // The window closes whether or not the system accepted the restart.
    RestartWindows(InstallRestartFlags, InstallRestartReason);
    PostMessageW(FHandle, WM_CLOSE, 0, 0);
}
