// Starting external programs: the release scripts and the driver installer.
// Both runners create the process in a new console at normal priority, with
// the caller's show command and the installer's own environment.
#pragma once
#include <string>

// Runs FileName (quoted) with Params in the folder that holds FileName and
// waits for it in 100 ms slices without pumping. Returns its exit code.
// Raises EAppError when the command line does not fit 512 characters, when the
// program cannot be started ("Не смог создать процесс: " + FileName) or when
// the wait fails.
// With WaitLimitMs (0: none) it stops waiting after that long and raises
// EAppError naming the program, which is left running.
unsigned long RunAndWait(const std::wstring& FileName, const std::wstring& Params,
                         unsigned short ShowCmd, unsigned long WaitLimitMs = 0);

// A wait limit as the texts give it: "30 мин", or "2 с" when it is no whole minute.
std::wstring WaitLimitText(unsigned long limitMs);

// Runs CommandLine unchanged in the installer's current folder. -1 when it
// does not fit 255 characters or cannot be started; with Wait, the exit code
// after waiting without limit; without Wait, 0.
long long StartProgram(const std::wstring& CommandLine, unsigned short ShowCmd, bool Wait);

// ERROR_ELEVATION_REQUIRED: the program needs administrator rights that this
// token does not hold (the toolchain's headers lack the name).
inline constexpr unsigned long ErrorElevationRequired = 740;

// A started process as a handle the caller closes, or the system's error code.
struct TStartedProcess {
    void* Process = nullptr;
    unsigned long Error = 0;
};

// How programs are started: the system's way in the program, another in tests
// (Wine starts everything elevated, so it never refuses the way Windows does).
class IProgramStarter {
public:
    virtual ~IProgramStarter() = default;
    // CreateProcessW of the command line in the current folder (new console).
    virtual TStartedProcess Create(const std::wstring& commandLine, unsigned short showCmd) = 0;
    // ShellExecuteExW with the verb "runas": the system asks for consent.
    virtual TStartedProcess RunAsAdministrator(const std::wstring& file, unsigned short showCmd) = 0;
};
IProgramStarter& SystemProgramStarter();

// How a program that may need administrator rights ran.
struct TElevatableRun {
    bool Started = false;
    bool AskedConsent = false;   // started through the consent prompt
    unsigned long Error = 0;     // why it did not start (system error code)
    unsigned long ExitCode = 0;  // when it started and ended
    bool TimedOut = false;       // started, but still running when the wait limit came
};

// Starts file (no arguments; its path is quoted) and waits for it. Where the
// system answers ERROR_ELEVATION_REQUIRED and mayAskConsent is true, it starts
// again through the consent prompt. A line over 255 characters is not started
// (ERROR_FILENAME_EXCED_RANGE). waitLimitMs (0: none): after that long it
// stops waiting and leaves the program running.
TElevatableRun RunElevatable(IProgramStarter& starter, const std::wstring& file, unsigned short showCmd,
                             bool mayAskConsent, unsigned long waitLimitMs = 0);
