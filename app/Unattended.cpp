#include "app/Unattended.h"

#include <string>

#include "app/Main.h"
#include "install/InstallProcedure.h"
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

// The operator's view when nobody watches: no list, no box, every question Yes.
class THeadlessLog : public IProgressLog {
public:
    int Add(const std::wstring&) override { return FCount++; }
    void Complete(int, bool) override {}
    void Pump() override {}
    void RepaintList() override {}
    void ShowError(const std::wstring&) override {}  // in Install.log; the exit code says it
    bool Confirm(const std::wstring&) override { return true; }

private:
    int FCount = 0;
};

// /SILENT: the progress list of the main window, but no box and no question.
class TSilentWindowLog : public IProgressLog {
public:
    explicit TSilentWindowLog(TFMain& form) : FForm(form) {}
    int Add(const std::wstring& line) override { return FForm.Add(line); }
    void Complete(int index, bool ok) override { FForm.Complete(index, ok); }
    void Pump() override { FForm.Pump(); }
    void RepaintList() override { FForm.RepaintList(); }
    void ShowError(const std::wstring&) override {}
    bool Confirm(const std::wstring&) override { return true; }

private:
    TFMain& FForm;
};

// The switches answer the questions; the large-font page and the restart are
// never offered. With a window (/SILENT) its progress page is kept up to date.
class TUnattendedHost : public IInstallHost {
public:
    explicit TUnattendedHost(TFMain* form) : FForm(form) {}
    void ShowProgressPage() override {
        if (!FForm) return;
        SendMessageW(FForm->LogList, LB_RESETCONTENT, 0, 0);
        ShowWindow(FForm->LogList, SW_SHOW);
        FForm->ShowPage(FForm->tsProgressInstall);
    }
    void SetMainStage(bool active) override {
        if (!FForm) return;
        FForm->FCanClose = !active;
        FForm->SetWaitCursor(active);
        FForm->BlockShutdown(active);
    }
    bool ConfirmDriver(const std::wstring&) override { return true; }
    void EnableExit() override {
        if (FForm) EnableWindow(FForm->BtnExit, TRUE);
    }
    bool OffersEnding() const override { return false; }
    void ShowLargeFontPage() override {}
    bool ConfirmFinished(const std::wstring&) override { return false; }
    void CloseInstaller() override {}

private:
    TFMain* FForm;
};

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
    TInstallChoices choices;
    // The path page's default: the product folder on drive C.
    choices.Target = switches.Dir.empty() ? L"C:\\" + LoadProductString(IDS_PRODUCT_FOLDER) + L"\\"
                                          : switches.Dir;
    choices.Driver = switches.Driver;
    choices.ProductVariant = IsProductVariant(LoadProductString(IDS_PRODUCT_NAME));
    std::wstring source = ExeFolder();
    if (!source.empty() && source.back() != L'\\') source += L'\\';
    PreparePathPageFolders(choices.Target);

    TInstallResult result;
    if (switches.Mode == TRunMode::Silent) {
        TFMain form;
        form.Create(instance);
        form.Fcopyfrom = source;
        TUnattendedHost host(&form);
        host.ShowProgressPage();
        ShowWindow(form.Handle(), SW_SHOWNORMAL);
        UpdateWindow(form.Handle());
        TSilentWindowLog log(form);
        result = TInstallProcedure(log, host, choices, source, switches.LogFile, true).Run();
        DestroyWindow(form.Handle());
        FMain = nullptr;
    } else {
        THeadlessLog log;
        TUnattendedHost host(nullptr);
        result = TInstallProcedure(log, host, choices, source, switches.LogFile, true).Run();
    }
    return result == TInstallResult::Completed ? ExitInstalled : ExitFatalError;
}
