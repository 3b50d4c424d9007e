// The unattended installation: the switches of the command line stand in for
// the operator. /VERYSILENT shows no window at all, /SILENT only the main
// window's progress page; neither asks anything nor waits for a person.
#pragma once
#include <windows.h>

#include "app/Switches.h"

// The command line's own answer, before anything is started or written: the
// usage for /? (exit code 0), or the refusal of a bad command line (1639),
// printed to the console the program was started from when there is one. A
// box shows it only to an operator's own start (no /SILENT, /VERYSILENT) in
// an interactive window station; a refusal that no box shows goes to
// %TEMP%\Install.log. The wizard is refused where nobody can see it.
// interactive: InteractiveWindowStation() (a parameter for the tests).
// Returns -1 when the command line asks for an installation; the switches'
// folder is then absolute and canonical (the default one when none was given).
int AnswerCommandLine(TSwitches& switches, bool interactive);

// System error boxes (no disk in a drive, a crash) end the operation instead
// of waiting for an answer: for runs that nobody watches.
void KeepSystemBoxesAway();

// One installation at a time on this PC, for the wizard and unattended runs alike.
class TInstallMutex {
public:
    TInstallMutex();
    ~TInstallMutex();
    TInstallMutex(const TInstallMutex&) = delete;
    TInstallMutex& operator=(const TInstallMutex&) = delete;
    // False when another installation holds it.
    bool Owned() const { return FOwned; }

private:
    HANDLE FHandle = nullptr;
    bool FOwned = false;
};

// The last line of the trace of an unattended run that another installation
// holds off (exit code 1618).
inline const wchar_t* const AlreadyRunningText =
    L"Установка не начата: на этом компьютере уже идёт другая установка комплекса; повторите её позже";

// That run's trace: the /LOG file when there is one, else %TEMP%\Install.log.
// The installation folder's Install.log is left to the run that is going on.
void WriteAlreadyRunning(const TSwitches& switches);

// Runs the installation the switches describe; returns the exit code.
int RunUnattended(HINSTANCE instance, const TSwitches& switches);
