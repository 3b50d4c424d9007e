#include "app/Uninstall.h"

#include <objbase.h>

#include <atomic>
#include <map>
#include <memory>
#include <thread>

#include "app/InstallView.h"
#include "install/InstallLog.h"
#include "install/InstallRecord.h"
#include "install/MediaLayout.h"
#include "install/RemovalProcedure.h"
#include "install/UninstallEntry.h"
#include "platform/SystemLibrary.h"
#include "platform/WinUtil.h"
#include "shared/VL_Common_Const.h"
#include "windows/ApplicationWindow.h"

namespace {

const wchar_t* const RemovalTitle = L"Удаление комплекса \"Велитор-Vudeze\"";

std::wstring InstallationFolder() { return CanonicalFolder(ExeFolder()); }

std::wstring ConfirmationText(const std::wstring& folder) {
    return L"Будут удалены программы комплекса \"Велитор-Vudeze\" из каталога " + folder +
           L": программы комплекса, файлы сервера базы данных, программа обновления с пакетами выпусков, "
           L"программа установки драйвера и ярлык на рабочем столе.\r\n\r\n"
           L"База данных обследований (" + folder + DatabaseSubfolder + L") и настройки (" + folder +
           SettingsSubfolder + L") останутся на месте. Шрифты и установленный драйвер не удаляются.\r\n\r\n"
           L"Удалить комплекс?";
}

std::wstring EndText(TRemovalResult result, const std::wstring& folder) {
    if (result == TRemovalResult::Complete)
        return L"Удаление комплекса \"Велитор-Vudeze\" завершено.\r\n\r\nБаза данных обследований (" + folder +
               DatabaseSubfolder + L") и настройки (" + folder + SettingsSubfolder + L") остались на месте.";
    return L"Удаление комплекса не завершено: некоторые файлы открыты другими программами или не могут быть "
           L"удалены (они названы в списке и в " + folder + UninstallLogName + L").\r\n\r\n"
           L"Закройте программы комплекса и запустите удаление ещё раз.";
}

// The removal's lines: in Uninstall.log (and the /LOG copy) and, when there is
// one, in the window's list, carried to the window's thread.
class TRemovalLog : public IProgressLog {
public:
    TRemovalLog(const std::wstring& folder, const std::wstring& copy, IInstallView* view)
        : FLog(L"", folder, true, true), FCopy(L"", folder, true, true), FView(view) {
        FLog.Open(folder + UninstallLogName);
        if (!copy.empty()) FCopy.Open(copy);
        FHasCopy = !copy.empty();
    }

    int Add(const std::wstring& line) override {
        Mirror(line);
        const int index = FLines++;
        FTexts[index] = line;
        int shown = -1;
        OnView([&] { shown = FView->AddLine(line); });
        FShown[index] = shown;
        return index;
    }
    void Complete(int index, bool ok) override {
        const auto found = FTexts.find(index);
        if (found == FTexts.end()) return;
        Mirror(found->second + (ok ? MarkDone : MarkError));
        const int shown = FShown[index];
        if (shown >= 0) OnView([&] { FView->CompleteLine(shown, ok); });
    }
    void ShowError(const std::wstring& text) override { Mirror(text); }

private:
    void Mirror(const std::wstring& text) {
        FLog.Line(text);
        if (FHasCopy) FCopy.Line(text);
    }
    // The files matter more than the window: a window that is gone shows nothing.
    template <class F> void OnView(F work) {
        if (!FView) return;
        try {
            FView->RunOnWindowThread(work);
        } catch (...) {
        }
    }

    TInstallLog FLog, FCopy;
    bool FHasCopy = false;
    IInstallView* FView;
    int FLines = 0;
    std::map<int, std::wstring> FTexts;
    std::map<int, int> FShown;
};

TRemovalResult Remove(TRemovalLog& log, const std::wstring& folder) {
    try {
        return RemoveInstallation(log, folder);
    } catch (const std::exception&) {
        log.Add(L"Удаление прервано ошибкой программы");
        return TRemovalResult::Incomplete;
    }
}

// The removal on a thread of its own while the window's thread answers.
TRemovalResult RemoveBesideWindow(IInstallView& view, TRemovalLog& log, const std::wstring& folder) {
    view.SetRunActive(true);
    view.SetMainStage(true);
    std::atomic<bool> ended{false};
    TRemovalResult result = TRemovalResult::Incomplete;
    const HWND window = view.ViewHandle();
    std::thread worker([&] {
        // The desktop link is read through COM.
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        result = Remove(log, folder);
        if (SUCCEEDED(com)) CoUninitialize();
        ended = true;
        PostMessageW(window, WM_NULL, 0, 0);
    });
    MSG msg;
    while (!ended && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    worker.join();
    view.SetMainStage(false);
    view.SetRunActive(false);
    view.EnableExit();
    return result;
}

}  // namespace

void RefuseUninstallOutsideInstallation(TSwitches& switches) {
    if (!switches.Uninstall || !switches.Error.empty()) return;
    const std::wstring folder = InstallationFolder();
    if (FileExists(folder + InstallRecordName)) return;
    switches.Error = L"Программа удаления запущена не из каталога установленного комплекса: в " + folder +
                     L" нет списка установленных файлов " + InstallRecordName +
                     L". Комплекс удаляется программой " + UninstallerName +
                     L" из его каталога или через \"Программы и компоненты\".";
}

int RunUninstall(HINSTANCE instance, const TSwitches& switches, bool alone) {
    const std::wstring folder = InstallationFolder();
    const bool wizard = switches.Mode == TRunMode::Wizard;
    if (!alone) {
        if (wizard)
            MessageBoxW(nullptr, L"Идёт установка или удаление комплекса. Запустите удаление после их окончания.",
                        RemovalTitle, MB_ICONWARNING | MB_OK);
        return ExitAlreadyRunning;
    }
    if (switches.Mode == TRunMode::VerySilent) {
        TRemovalLog log(folder, switches.LogFile, nullptr);
        const TRemovalResult result = Remove(log, folder);
        if (result != TRemovalResult::Complete) return ExitFatalError;
        std::wstring error;
        if (!StartUninstallerRemoval(folder, error)) log.Add(L"Программа удаления не будет удалена: " + error);
        return ExitInstalled;
    }

    CreateApplicationWindow(instance, RemovalTitle);
    if (wizard && MessageBoxW(ApplicationHandle(), ConfirmationText(folder).c_str(), RemovalTitle,
                              MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON2) != IDYES)
        return ExitCancelled;
    const std::unique_ptr<IInstallView> view = CreateSilentProgressWindow(instance);
    SetWindowTextW(view->ViewHandle(), RemovalTitle);
    TRemovalLog log(folder, switches.LogFile, view.get());
    const TRemovalResult result = RemoveBesideWindow(*view, log, folder);
    std::wstring error;
    if (result == TRemovalResult::Complete && !StartUninstallerRemoval(folder, error))
        log.Add(L"Программа удаления не будет удалена: " + error);
    if (wizard)
        MessageBoxW(view->ViewHandle(), EndText(result, folder).c_str(), RemovalTitle,
                    (result == TRemovalResult::Complete ? MB_ICONINFORMATION : MB_ICONWARNING) | MB_OK);
    DestroyWindow(view->ViewHandle());
    return result == TRemovalResult::Complete ? ExitInstalled : ExitFatalError;
}

int RunUninstallerRemovalIfAsked(const wchar_t* commandLine) {
    std::uint32_t handle = 0;
    std::wstring folder;
    if (!ParseRemovalHelper(commandLine, handle, folder)) return -1;
    // It runs from the temporary folder, which may hold anything.
    RestrictDllSearchToSystem32();
    return RemoveUninstallerAfterExit(handle, folder);
}
