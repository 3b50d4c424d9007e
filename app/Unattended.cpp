#include "app/Unattended.h"

#include <string>

#include "app/InstallFolder.h"
#include "app/InstallRun.h"
#include "install/InstallLog.h"
#include "install/ProductStrings.h"
#include "platform/WinUtil.h"
#include "resources/ids.h"
#include "shared/TextCodec.h"

namespace {

const wchar_t* const MutexName = L"Global\\Velitor-Vudeze.Install";

// Writes text to stdout when it is redirected, else to the parent's console.
// False when there is neither.
bool PrintToParentConsole(const std::wstring& text) {
    DWORD written = 0, mode = 0;
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN) {
        if (GetConsoleMode(out, &mode) &&
            WriteConsoleW(out, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr))
            return true;
        const std::string bytes = EncodeUtf8(text);
        if (WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return true;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) return false;
    // The prompt was printed before this text: start on a line of its own.
    const std::wstring line = L"\r\n" + text;
    const bool ok = WriteConsoleW(console, line.c_str(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(console);
    return ok;
}

// %TEMP%\Install.log: where an administrator looks for a run's trace when
// there is no installation folder of its own.
std::wstring TemporaryInstallLog() {
    wchar_t temp[MAX_PATH + 1] = {};
    if (!GetTempPathW(MAX_PATH + 1, temp)) return L"";
    return std::wstring(temp) + L"Install.log";
}

// A refusal that no box shows is kept there.
void WriteRefusal(const std::wstring& refusal) {
    const std::wstring path = TemporaryInstallLog();
    if (path.empty()) return;
    TInstallLog log(ExeFolder(), L"", true);
    log.Open(path);
    log.Line(L"Неверная командная строка: " + std::wstring(GetCommandLineW()));
    log.Line(refusal);
}

}  // namespace

int AnswerCommandLine(TSwitches& s, bool interactive) {
    std::wstring refusal = s.Error;
    if (refusal.empty() && s.Mode == TRunMode::Wizard && !interactive)
        refusal = L"Нет рабочего стола, на котором мастер установки кто-нибудь увидит: установка без "
                  L"оператора идёт с /VERYSILENT";
    if (refusal.empty() && (s.Mode == TRunMode::Silent || s.Mode == TRunMode::VerySilent)) {
        // The path page's default: the product folder on drive C.
        const std::wstring typed = s.Dir.empty() ? DefaultInstallFolder() : s.Dir;
        std::wstring exe = ExeFolder();
        if (!exe.empty() && exe.back() != L'\\') exe += L'\\';
        const TInstallFolder folder = CheckInstallFolder(typed, exe, exe, s.Driver);
        if (folder.Verdict == TFolderVerdict::Accepted) s.Dir = folder.Path;
        else refusal = folder.Reason;
    }
    if (refusal.empty() && s.Mode != TRunMode::Help) return -1;

    const std::wstring text = refusal.empty() ? std::wstring(UsageText) : refusal + L"\r\n\r\n" + UsageText;
    const bool printed = PrintToParentConsole(text);
    // Only an operator's own start gets a box, and only where somebody can see
    // it: an unattended run, a service, a remote session never waits for a person.
    bool shown = false;
    if (!printed && interactive && (s.Mode == TRunMode::Help || s.Mode == TRunMode::Wizard)) {
        MessageBoxW(nullptr, text.c_str(), L"Install.exe",
                    (refusal.empty() ? MB_ICONINFORMATION : MB_ICONERROR) | MB_OK);
        shown = true;
    }
    if (!refusal.empty() && !shown) WriteRefusal(refusal);
    return refusal.empty() ? ExitInstalled : ExitBadCommandLine;
}

void KeepSystemBoxesAway() {
    // No "insert a disk" box for an empty drive, no crash box: the run ends
    // with an exit code instead of waiting for somebody.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
}

void WriteAlreadyRunning(const TSwitches& switches) {
    // The target's Install.log belongs to the run that is going on: the trace
    // goes to the /LOG file, or to %TEMP%\Install.log.
    const std::wstring path = switches.LogFile.empty() ? TemporaryInstallLog() : switches.LogFile;
    if (path.empty()) return;
    TInstallLog log(ExeFolder(), switches.Dir, true);
    log.Open(path);
    log.Line(AlreadyRunningText);
}

TInstallMutex::TInstallMutex() {
    FHandle = CreateMutexW(nullptr, FALSE, MutexName);
    // Held by a run of another user (access denied) counts as held.
    FOwned = FHandle != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
}

TInstallMutex::~TInstallMutex() {
    if (FHandle) CloseHandle(FHandle);
}

int RunUnattended(HINSTANCE instance, const TSwitches& switches) {
    TInstallSetup setup;
    setup.Unattended = true;
    setup.LogFile = switches.LogFile;
    TInstallChoices& choices = setup.Choices;
    // Absolute and through the path rules (AnswerCommandLine).
    choices.Target = switches.Dir;
    choices.Driver = switches.Driver;
    // A repeated run over a working installation keeps the clinic's data.
    choices.KeepExistingData = switches.KeepData;
    choices.KeepExistingSettings = switches.KeepSettings;
    choices.WaitLimitMs = switches.WaitMinutes * 60000;
    choices.CommonDesktop = true;
    choices.ProductVariant = IsProductVariant(LoadProductString(IDS_PRODUCT_NAME));
    setup.Source = ExeFolder();
    if (!setup.Source.empty() && setup.Source.back() != L'\\') setup.Source += L'\\';
    PrepareInstallFolders(choices.Target);

    if (switches.Mode != TRunMode::Silent) return UnattendedExitCode(TInstallRun(nullptr, setup).RunHere());

    // /SILENT: the main window's progress page follows the run, which goes on
    // beside it; the window answers meanwhile.
    const std::unique_ptr<IInstallView> view = CreateSilentProgressWindow(instance);
    TInstallRun run(view.get(), setup);
    run.Start();
    MSG msg;
    while (!run.HasEnded() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DestroyWindow(view->ViewHandle());
    return UnattendedExitCode(run.Result());
}
