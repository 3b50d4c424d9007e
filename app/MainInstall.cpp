// The installation procedure (BtnInsatallClick): every step in its order, on
// the user-interface thread, with the progress list as the operator's view.
// Install.log in the target folder mirrors every line and every error box.
#include <windows.h>

#include "app/Main.h"
#include "desktop/LargeFont.h"
#include "desktop/Shortcut.h"
#include "install/DatabaseStage.h"
#include "install/DriverStage.h"
#include "install/FileHelpers.h"
#include "install/InstallLog.h"
#include "install/ProductStrings.h"
#include "install/SettingsSteps.h"
#include "install/UpdateStage.h"
#include "platform/AppError.h"
#include "platform/WinUtil.h"
#include "shared/VL_Common_Const.h"

namespace {

// The main stage: the window refuses to close and the cursor is the hourglass.
// However the stage is left (normally, by a stop, or by an error), both return.
class TMainStage {
public:
    explicit TMainStage(TFMain& form) : FForm(form) {
        FForm.FCanClose = false;
        FForm.SetWaitCursor(true);
        FForm.BlockShutdown(true);
    }
    ~TMainStage() { Leave(); }
    TMainStage(const TMainStage&) = delete;
    TMainStage& operator=(const TMainStage&) = delete;
    void Leave() {
        if (FLeft) return;
        FLeft = true;
        FForm.FCanClose = true;
        FForm.SetWaitCursor(false);
        FForm.BlockShutdown(false);
    }

private:
    TFMain& FForm;
    bool FLeft = false;
};

TInstallTime LocalNow() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

}  // namespace

void TFMain::BtnInsatallClick() {
    // 1. The progress page.
    const std::wstring target = TrimmedPath();
    SendMessageW(LogList, LB_RESETCONTENT, 0, 0);
    ShowWindow(LogList, SW_SHOW);
    ShowPage(tsProgressInstall);
    Pump();

    // 2. The distribution folder: where Install.exe runs from.
    Fcopyfrom = ExeFolder();
    if (!Fcopyfrom.empty() && Fcopyfrom.back() != L'\\') Fcopyfrom += L'\\';
    FInstallLog = std::make_shared<TInstallLog>(Fcopyfrom, target);

    // 3. The target folder.
    if (!DirectoryExists(target)) {
        if (!CreateDirectoryW(target.c_str(), nullptr)) {
            ShowError(L"Ошибка при создании каталога!");
            Add(L"Ошибка при создании каталога!");
            return;
        }
        FInstallLog->Open(target + L"Install.log");
        Add(L"Каталог создан...");
        Pump();
    }
    FInstallLog->Open(target + L"Install.log");

    // 4. The settings file, before the main stage.
    WriteInstallSettings(target);

    // 5 to 10. The main stage.
    {
        TMainStage stage(*this);
        // 6.
        Pump();
        const int line = Add(L"Создание настроечных файлов....");
        Pump();
        CreateFolderIfMissing(target + SettingsSubfolder);
        Complete(line, true);
        // 7.
        const int windowsChoice = static_cast<int>(SendMessageW(CBWindows, CB_GETCURSEL, 0, 0));
        if (!RunDatabaseStage(*this, target, Fcopyfrom, windowsChoice, LocalNow())) return;
        // 8.
        WriteLastNumIfMissing(target);
        // 9.
        if (ProductVariantFlag) WriteBtoothIni(target);
        // 10.
        stage.Leave();
    }

    // 11. Fonts: whatever goes wrong there does not end the installation; it
    // is only recorded in Install.log.
    try {
        InstallFonts();
    } catch (const EAppError& e) {
        LogLine(L"Шрифты не установлены: " + e.Message());
    } catch (...) {
    }

    // 12. The interface block's driver.
    if (SendMessageW(CbDriverInstal, BM_GETCHECK, 0, 0) == BST_CHECKED)
        RunDriverStage(*this, target, Fcopyfrom);

    // 13. Update configuration and the newest release package.
    RunUpdateStage(*this, target, Fcopyfrom);

    // 14. Desktop shortcut to the main program.
    const std::wstring title = LoadProductString(1);
    CreateShortcut(target + LoadProductString(4), Desktop, L"", L"", L"",
                   LoadProductString(2) + L" \"" + title + L"\"", title);

    // 15.
    EnableWindow(BtnExit, TRUE);

    // 16.
    if (IsSmallFontScreen()) {
        ShowPage(tsChangeFontSize);
        return;
    }
    if (Confirm(L"Установка завершена. Выйти из программы установки?")) BtnExitClick();
}

void TFMain::LogLine(const std::wstring& text) {
    if (FInstallLog) FInstallLog->Line(text);
}
