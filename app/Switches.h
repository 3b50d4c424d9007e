// The command line of an unattended installation: /VERYSILENT, /SILENT, /DIR=,
// /NODRIVER, /LOG=, /NEWDATABASE, /NEWSETTINGS, /TIMEOUT=, /? and /HELP; and of the removal,
// /UNINSTALL. Not case-sensitive, "/" or "-", any order,
// values may be quoted. Pure: no <windows.h>.
#pragma once
#include <string>
#include <string_view>
#include <vector>

enum class TRunMode { Wizard, Silent, VerySilent, Help };

// Exit codes as deployment tools read them (Windows Installer's).
inline constexpr int ExitInstalled = 0;
inline constexpr int ExitFatalError = 1603;
inline constexpr int ExitAlreadyRunning = 1618;
inline constexpr int ExitBadCommandLine = 1639;

// How long an unattended run waits for a program it started.
inline constexpr unsigned long DefaultWaitMinutes = 30;
inline constexpr unsigned long MaxWaitMinutes = 1440;

struct TSwitches {
    TRunMode Mode = TRunMode::Wizard;
    std::wstring Dir;      // trimmed, with "\" (AnswerCommandLine makes it absolute); empty: the default
    bool Driver = true;
    std::wstring LogFile;
    bool KeepData = true;       // a database already in the folder stays (no /NEWDATABASE)
    bool KeepSettings = true;   // settings files already there stay (no /NEWSETTINGS)
    unsigned long WaitMinutes = DefaultWaitMinutes;  // for the driver installer and the release script
    bool Uninstall = false;  // remove the installation this program lies in
    std::wstring Error;    // why the command line is refused; empty when it is not
    bool Valid() const { return Error.empty(); }
};

// The arguments of a whole command line (as GetCommandLineW gives it): the
// program's name is skipped; blanks separate, double quotes group and are
// dropped, backslashes are plain characters. An unclosed quote gives no list
// and sets unbalanced.
std::vector<std::wstring> SplitArguments(std::wstring_view commandLine, bool& unbalanced);

TSwitches ParseSwitches(std::wstring_view commandLine);

// The usage text for /? and a refused command line.
extern const wchar_t* const UsageText;
