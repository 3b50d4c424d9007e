// The driver stage: asks for the interface block, brings the driver installer
// from the media into the target folder and runs it hidden, waiting for it.
#pragma once
#include <string>

#include "install/ProgressLog.h"

inline const wchar_t* const DriverQuestion = L"Подключите интерфейсный блок и нажмите \"Yes\"?";

// For target T and source S (both ending with "\"). Reports no failure.
void RunDriverStage(IProgressLog& log, const std::wstring& target, const std::wstring& source);

// The stage after a Yes: the installer copied and run, with its two lines.
void RunDriverInstaller(IProgressLog& log, const std::wstring& target, const std::wstring& source);
