// Drives the real Install.exe from another process, the way an operator would.
//
// Usage (link the static library gui_driver; include "GuiDriver.h"):
//
//   gui::TDistribution dist;                         // temp folder with a copy of Install.exe
//   gui::TInstaller app(dist.InstallExe());          // starts it (optional 2nd arg: current folder)
//   ASSERT_TRUE(app.WaitMainWindow());               // window of class TFMain
//   EXPECT_EQ(app.VisiblePage(), IDC_TS_START);      // which IDC_TS_* page is shown
//   app.Click(IDC_BTNSTARTNEXT);                     // posts BM_CLICK, never blocks
//   app.Type(IDC_EPATH, L"C:\\A");                   // WM_SETTEXT
//   app.Click(IDC_BTNINPUTPATHNEXT);
//   HWND box = app.WaitMessageBox();                 // standard message box (#32770)
//   gui::DialogText(box); app.Answer(box, IDOK);     // IDYES / IDNO / IDOK
//   HWND mw = app.WaitMessageWindow();               // the program's own TFMessageform
//   app.PressMessageWindowOk(mw);
//   app.LogLines();                                  // lines of LogList
//   gui::SaveScreenshot(app.MainWindow(), L"C:\\x.png");
//   app.Click(IDC_BTNEXIT); app.WaitExit(); app.ExitCode();
//
// Controls are found by their id from resources/ids.h anywhere below the main window.
// Every wait polls with a time-out and returns false / nullptr when it runs out; the
// destructor of TInstaller kills a program that is still running. Environment:
// INSTALL_EXE (the built Install.exe), MEDIA_DIR (sample distribution), SCREENSHOT_DIR —
// Unix paths, turned into Windows paths (Z:\...) by EnvPath.
//
// Under Wine without a window manager (Xvfb), hiding a managed top-level window waits
// two seconds for a window manager that never answers. The first TInstaller therefore
// makes the windows of programs started later unmanaged (PrepareWine), unless
// GUI_MANAGED_WINDOWS=1 is set (a real desktop, as scripts/demo uses it).
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "resources/ids.h"

namespace gui {

constexpr DWORD kTimeoutMs = 20000;

// Calls pred every few milliseconds until it holds or timeoutMs has passed.
bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs = kTimeoutMs);

// --- Text and paths -------------------------------------------------------------
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& text);  // UTF-8
// "/a/b" -> "Z:\a\b" (Wine maps Z: to the Unix root); other text is returned as is.
std::wstring ToWindowsPath(const std::string& path);
// The environment variable as a Windows path; empty when it is not set.
std::wstring EnvPath(const char* name);
// Makes the text printable in a test message: CR and LF shown as \r and \n.
std::string Visible(const std::wstring& text);

// Under Wine, for programs started from now on: Times New Roman, Arial and Courier New
// are drawn with their Liberation stand-ins, and windows are unmanaged (see above)
// unless GUI_MANAGED_WINDOWS=1. Does nothing on Windows. Safe to call repeatedly.
void PrepareWine();

// --- Any window -----------------------------------------------------------------
std::wstring ClassNameOf(HWND window);
std::wstring WindowText(HWND window);           // WM_GETTEXT, time-limited
HWND FindDescendant(HWND root, int id);         // first window below root with this id
HWND FindChildByClass(HWND root, const wchar_t* className);
// Posts BM_CLICK. False (and nothing sent) when the button is missing, hidden or
// disabled, or its top-level window is disabled (a modal window is open above it).
bool Click(HWND button);
bool SetText(HWND edit, const std::wstring& text);  // WM_SETTEXT
int CheckState(HWND checkBox);                     // BST_CHECKED etc., -1 on failure
std::vector<std::wstring> ListItems(HWND listBox);  // LB_GETCOUNT / LB_GETTEXT
// Texts of the STATIC children of a dialog that carry text, joined by "\n".
std::wstring DialogText(HWND dialog);
bool IsFolderBrowser(HWND dialog);                  // a #32770 with a tree of folders
// Posts BM_CLICK to the dialog's button with this id (IDYES, IDNO, IDOK, IDCANCEL).
bool PressDialogButton(HWND dialog, int buttonId);

// Captures the part of the screen the window covers and writes it as PNG.
bool SaveScreenshot(HWND window, const std::wstring& pngPath);
// SCREENSHOT_DIR\name.png (folder created); false when SCREENSHOT_DIR is not set.
bool SaveScreenshotAs(HWND window, const std::wstring& name);

// --- The program under test -----------------------------------------------------
class TInstaller {
public:
    // Starts exe with arguments; currentFolder empty means the folder of this
    // process. Check Started().
    explicit TInstaller(const std::wstring& exe, const std::wstring& currentFolder = {},
                        const std::wstring& arguments = {});
    ~TInstaller();
    TInstaller(const TInstaller&) = delete;
    TInstaller& operator=(const TInstaller&) = delete;

    bool Started() const { return FProcess != nullptr; }
    DWORD Pid() const { return FPid; }
    const std::wstring& StartError() const { return FStartError; }

    // Waits until the process shows its main window (class TFMain).
    bool WaitMainWindow(DWORD timeoutMs = kTimeoutMs);
    HWND MainWindow() const { return FMainWindow; }
    // The main window answers messages (a modal box inside it still counts).
    bool Responsive(DWORD timeoutMs = 5000) const;

    HWND Control(int id) const;
    std::wstring Text(int id) const;
    bool Click(int id) const;
    bool Type(int id, const std::wstring& text) const;
    int CheckState(int id) const;
    bool Visible(int id) const;
    bool Enabled(int id) const;
    // Id of the one visible page (IDC_TS_*), 0 when none or more than one is visible.
    int VisiblePage() const;
    bool WaitPage(int pageId, DWORD timeoutMs = kTimeoutMs) const;
    std::vector<std::wstring> LogLines() const;
    // Control holding the keyboard focus in the program's thread, or nullptr.
    HWND FocusedControl() const;

    // Top-level windows of this process.
    HWND FindTopLevel(const wchar_t* className) const;
    std::vector<HWND> TopLevelWindows() const;  // visible ones
    // Standard message box: a visible #32770 that is not the folder browser.
    HWND FindMessageBox() const;
    HWND WaitMessageBox(DWORD timeoutMs = kTimeoutMs) const;
    bool Answer(HWND box, int buttonId) const { return PressDialogButton(box, buttonId); }
    // Waits until no standard message box of the process is left.
    bool WaitMessageBoxGone(DWORD timeoutMs = kTimeoutMs) const;
    HWND WaitFolderBrowser(DWORD timeoutMs = kTimeoutMs) const;

    // The program's own message window (class TFMessageform).
    HWND FindMessageWindow() const;
    HWND WaitMessageWindow(DWORD timeoutMs = kTimeoutMs) const;
    static std::wstring MessageWindowText(HWND window);
    bool PressMessageWindowOk(HWND window) const;
    bool WaitMessageWindowGone(DWORD timeoutMs = kTimeoutMs) const;

    bool Running() const;
    bool WaitExit(DWORD timeoutMs = kTimeoutMs) const;
    // Exit code once the process has ended; STILL_ACTIVE while it runs.
    DWORD ExitCode() const;
    void Kill();

private:
    HANDLE FProcess = nullptr;
    DWORD FPid = 0;
    HWND FMainWindow = nullptr;
    std::wstring FStartError;
};

// A temporary distribution folder holding a copy of Install.exe (INSTALL_EXE) and,
// when asked for and MEDIA_DIR exists, the sample media content. Removed afterwards.
class TDistribution {
public:
    explicit TDistribution(bool withMedia = false);
    ~TDistribution();
    TDistribution(const TDistribution&) = delete;
    TDistribution& operator=(const TDistribution&) = delete;

    bool Ready() const { return FReady; }
    const std::wstring& Folder() const { return FFolder; }       // ends with '\'
    std::wstring InstallExe() const { return FFolder + L"Install.exe"; }
    // A fresh empty folder next to the distribution (e.g. somewhere to start from).
    std::wstring MakeScratchFolder(const std::wstring& name) const;
    const std::wstring& Root() const { return FRoot; }           // parent of Folder, ends with '\'

private:
    std::wstring FRoot;
    std::wstring FFolder;
    bool FReady = false;
};

bool DirectoryExists(const std::wstring& path);
bool FileExists(const std::wstring& path);

}  // namespace gui
