// The driver stage: brings the driver installer from the media into the target
// folder and runs it hidden, waiting for it. Windows refuses to start it from a
// standard token (it is an installer); then the operator is asked for consent.
#pragma once
#include <string>
#include <vector>

#include "install/ProgressLog.h"

class IProgramStarter;

inline const wchar_t* const DriverQuestion = L"Подключите интерфейсный блок и нажмите \"Yes\"?";
inline const wchar_t* const DriverNotInstalled = L"Драйвер устройства не установлен: ";

struct TDriverOutcome {
    bool Ran = false;             // the installer started and ended
    unsigned long ExitCode = 0;   // its code, when it ran (not judged: the vendor's codes are unknown)
    std::wstring Failure;         // the line that says why it did not run; empty when it ran
    std::vector<std::wstring> CopyFailures;  // lines for files of its folder that could not be copied
};

// After the operator's Yes: the installer copied and run, between the stage's
// two lines; a start that failed gets a line of its own before the closing one.
// mayAskConsent: false for unattended runs, where nobody can answer a prompt.
// waitLimitMs (0: none): an installer still running then is left running and
// the outcome's Failure says so. Files of the folder that could not be copied
// get a line each before the first.
TDriverOutcome RunDriverInstaller(IProgressLog& log, const std::wstring& target, const std::wstring& source,
                                  IProgramStarter& starter, bool mayAskConsent, unsigned long waitLimitMs = 0);
