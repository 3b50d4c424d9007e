#include "install/DriverStage.h"

#include <windows.h>

#include "install/CommandLine.h"
#include "install/FileHelpers.h"
#include "install/MediaLayout.h"
#include "install/ProcessRunner.h"
#include "platform/WinUtil.h"

void RunDriverStage(IProgressLog& log, const std::wstring& target, const std::wstring& source) {
    if (!log.Confirm(DriverQuestion)) return;
    RunDriverInstaller(log, target, source);
}

void RunDriverInstaller(IProgressLog& log, const std::wstring& target, const std::wstring& source) {
    if (DirectoryExists(source + DriverFolder)) ShellCopyFolder(source + DriverFolder, target + DriverFolder);
    log.Add(L"Началась установка драйверов устройства...");
    // The wait below does not pump: draw the line now.
    log.RepaintList();
    // Quoted, so a target folder with blanks cannot start another program.
    StartProgram(QuoteProgramPath(target + DriverFolder + L"\\" + DriverProgram), SW_HIDE, true);
    log.Add(L"Установка драйверов устройства завершена");
}
