#include "install/DriverStage.h"

#include <windows.h>

#include "install/FileHelpers.h"
#include "install/MediaLayout.h"
#include "install/ProcessRunner.h"
#include "platform/WinUtil.h"

namespace {

std::wstring StartFailure(const TElevatableRun& run) {
    if (run.Error == ERROR_CANCELLED && run.AskedConsent)
        return L"запуск программы установки драйвера отклонён в окне контроля учётных записей.";
    if (run.Error == ErrorElevationRequired)
        return L"программе установки драйвера нужны права администратора (" + SysErrorMessage(run.Error) +
               L"). Запустите установку от имени администратора.";
    if (run.Error == ERROR_FILENAME_EXCED_RANGE)
        return L"командная строка программы установки драйвера длиннее 255 символов; выберите более короткий "
               L"путь установки.";
    return SysErrorMessage(run.Error);
}

}  // namespace

TDriverOutcome RunDriverInstaller(IProgressLog& log, const std::wstring& target, const std::wstring& source,
                                  IProgramStarter& starter, bool mayAskConsent) {
    if (DirectoryExists(source + DriverFolder)) ShellCopyFolder(source + DriverFolder, target + DriverFolder);
    log.Add(L"Началась установка драйверов устройства...");
    const TElevatableRun run =
        RunElevatable(starter, target + DriverFolder + L"\\" + DriverProgram, SW_HIDE, mayAskConsent);
    TDriverOutcome outcome;
    outcome.Ran = run.Started;
    outcome.ExitCode = run.ExitCode;
    if (!run.Started) {
        outcome.Failure = DriverNotInstalled + StartFailure(run);
        log.Add(outcome.Failure);
    }
    log.Add(L"Установка драйверов устройства завершена");
    return outcome;
}
