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
                                  IProgramStarter& starter, bool mayAskConsent, unsigned long waitLimitMs) {
    TDriverOutcome outcome;
    // File by file over an earlier copy: the newest files replace the old ones,
    // nothing is nested and nothing asks.
    if (DirectoryExists(source + DriverFolder))
        for (const std::wstring& failure : CopyFolderRecursive(source + DriverFolder, target + DriverFolder)) {
            outcome.CopyFailures.push_back(L"Не скопирован файл драйвера " + failure);
            log.Add(outcome.CopyFailures.back());
        }
    log.Add(L"Началась установка драйверов устройства...");
    const std::wstring program = target + DriverFolder + L"\\" + DriverProgram;
    const TElevatableRun run = RunElevatable(starter, program, SW_HIDE, mayAskConsent, waitLimitMs);
    outcome.Ran = run.Started && !run.TimedOut;
    outcome.ExitCode = run.ExitCode;
    if (run.TimedOut) {
        outcome.Failure = std::wstring(DriverNotInstalled) + L"программа " + program + L" не завершилась за " +
                          WaitLimitText(waitLimitMs) + L"; установка её больше не ждёт (программа продолжает работать).";
        log.Add(outcome.Failure);
    } else if (!run.Started) {
        outcome.Failure = DriverNotInstalled + StartFailure(run);
        log.Add(outcome.Failure);
    }
    log.Add(L"Установка драйверов устройства завершена");
    return outcome;
}
