#include "app/Unattended.h"

#include <string>

#include "app/InstallRun.h"
#include "install/ProductStrings.h"
#include "platform/WinUtil.h"
#include "resources/ids.h"
#include "shared/TextCodec.h"
#include "shared/VL_Common_Const.h"

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

// A folder on a drive that is not there is refused with the command line.
bool DriveMissing(const std::wstring& folder) {
    std::wstring root;
    if (folder.size() >= 3 && folder[1] == L':') root = folder.substr(0, 3);
    else if (folder.rfind(L"\\\\", 0) == 0) {
        const size_t share = folder.find(L'\\', folder.find(L'\\', 2) + 1);
        if (share == std::wstring::npos) return true;
        root = folder.substr(0, share + 1);
    } else {
        return false;  // relative: beside Install.exe
    }
    return GetDriveTypeW(root.c_str()) == DRIVE_NO_ROOT_DIR;
}

// The installation folder as the path page leaves it: created with its settings
// folder when missing (failures show later, as in the wizard).
void PreparePathPageFolders(const std::wstring& target) {
    if (!DirectoryExists(target)) CreateDirectoryW(target.c_str(), nullptr);
    const std::wstring settings = target + SettingsSubfolder;
    if (!DirectoryExists(settings)) CreateDirectoryW(settings.c_str(), nullptr);
}

}  // namespace

int AnswerCommandLine(const TSwitches& s) {
    std::wstring refusal = s.Error;
    if (refusal.empty() && s.Mode != TRunMode::Help && !s.Dir.empty() && DriveMissing(s.Dir))
        refusal = L"Нет такого диска: " + s.Dir;
    if (refusal.empty() && s.Mode != TRunMode::Help) return -1;

    const std::wstring text = refusal.empty() ? std::wstring(UsageText) : refusal + L"\r\n\r\n" + UsageText;
    const bool printed = PrintToParentConsole(text);
    // Without a console only an operator's own start gets a box: an unattended
    // run never waits for a person.
    if (!printed && (s.Mode == TRunMode::Help || s.Mode == TRunMode::Wizard))
        MessageBoxW(nullptr, text.c_str(), L"Install.exe",
                    (refusal.empty() ? MB_ICONINFORMATION : MB_ICONERROR) | MB_OK);
    return refusal.empty() ? ExitInstalled : ExitBadCommandLine;
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
    // The path page's default: the product folder on drive C.
    choices.Target = switches.Dir.empty() ? L"C:\\" + LoadProductString(IDS_PRODUCT_FOLDER) + L"\\"
                                          : switches.Dir;
    choices.Driver = switches.Driver;
    choices.ProductVariant = IsProductVariant(LoadProductString(IDS_PRODUCT_NAME));
    setup.Source = ExeFolder();
    if (!setup.Source.empty() && setup.Source.back() != L'\\') setup.Source += L'\\';
    PreparePathPageFolders(choices.Target);

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
