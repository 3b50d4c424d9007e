// Walks Install.exe through every page the way an operator would, printing what
// each page shows and saving screenshots of each (main window pages also maximised),
// then removes the installation with the uninstaller it left:
//   DemoDriver <Install.exe> <screenshot folder> [pause ms between steps]
// Paths may be Unix paths (they are mapped to Z:\...). Run by scripts/demo.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "GuiDriver.h"

namespace {

std::wstring GShots;
DWORD GPauseMs = 0;
int GShotNo = 0;

void Print(const std::wstring& text) {
    const std::string utf8 = gui::Narrow(text) + "\n";
    fwrite(utf8.data(), 1, utf8.size(), stdout);
    fflush(stdout);
}

void Pause() {
    if (GPauseMs) Sleep(GPauseMs);
}

void Shot(HWND window, const std::wstring& name) {
    wchar_t prefix[8];
    swprintf(prefix, 8, L"%02d-", ++GShotNo);
    const std::wstring path = GShots + prefix + name + L".png";
    Print(gui::SaveScreenshot(window, path) ? L"  [screenshot " + path + L"]"
                                            : L"  [screenshot failed: " + path + L"]");
}

// Waits until the client area is wider than the normal 954 pixels (maximised) or
// back at 954, then for the repaint after the resize.
bool WaitClientSize(HWND window, bool maximised) {
    const bool sized = gui::WaitUntil([&] {
        RECT rc;
        GetClientRect(window, &rc);
        return maximised ? rc.right > 954 : rc.right == 954;
    });
    Sleep(500);
    return sized;
}

// A page of the main window at its normal size and maximised. ShowWindowAsync
// works while a question box has the window disabled, unlike the title-bar command.
void ShotPage(HWND main, const std::wstring& name) {
    Shot(main, name);
    ShowWindowAsync(main, SW_MAXIMIZE);
    if (WaitClientSize(main, true)) Shot(main, name + L"-maximised");
    else Print(L"  [the window did not maximise: no screenshot of " + name + L" maximised]");
    ShowWindowAsync(main, SW_RESTORE);
    WaitClientSize(main, false);
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' || text[i] == L'\n') {
            if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

BOOL CALLBACK DumpControl(HWND w, LPARAM) {
    if (!IsWindowVisible(w)) return TRUE;
    const std::wstring cls = gui::ClassNameOf(w);
    const std::wstring text = gui::WindowText(w);
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    if (_wcsicmp(cls.c_str(), L"Edit") == 0 && (style & ES_MULTILINE)) {
        Print(L"  memo:");
        for (const auto& line : Lines(text)) Print(L"    | " + line);
    } else if (_wcsicmp(cls.c_str(), L"Edit") == 0) {
        Print(L"  edit box: \"" + text + L"\"");
    } else if (_wcsicmp(cls.c_str(), L"Button") == 0) {
        const LONG kind = style & BS_TYPEMASK;
        if (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX) {
            Print(L"  check box: [" + std::wstring(gui::CheckState(w) == BST_CHECKED ? L"x" : L" ") +
                  L"] " + text);
        } else if (kind != BS_GROUPBOX) {
            Print(L"  button: \"" + text + L"\"" + (IsWindowEnabled(w) ? L"" : L" (disabled)"));
        }
    } else if (_wcsicmp(cls.c_str(), L"ListBox") == 0) {
        Print(L"  list:");
        for (const auto& line : gui::ListItems(w)) Print(L"    | " + line);
    } else if (_wcsicmp(cls.c_str(), L"Static") == 0 && !text.empty()) {
        Print(L"  label: \"" + text + L"\"");
    }
    return TRUE;
}

void DumpPage(const gui::TInstaller& app, const wchar_t* name) {
    Print(std::wstring(L"\n== page ") + name);
    EnumChildWindows(app.Control(app.VisiblePage()), DumpControl, 0);
}

void DumpDialog(HWND box, const wchar_t* what) {
    Print(std::wstring(L"\n-- ") + what + L" \"" + gui::WindowText(box) + L"\":");
    for (const auto& line : Lines(gui::DialogText(box))) Print(L"    | " + line);
}

bool Fail(const std::wstring& why) {
    Print(L"demo: " + why);
    return false;
}

// The information document streams into its panel once the start page has been
// painted; the pictures show the window with it.
bool WaitInformation(const gui::TInstaller& app) {
    return gui::WaitUntil([&] { return !gui::WindowText(app.Control(IDC_RICHEDIT1)).empty(); });
}

// Start page, path page, driver warning, components page, the installation itself.
bool RunInstallation(const std::wstring& exe) {
    gui::TInstaller app(exe);
    if (!app.Started()) return Fail(app.StartError());
    if (!app.WaitMainWindow()) return Fail(L"the main window did not appear");
    Print(L"main window: \"" + gui::WindowText(app.MainWindow()) + L"\"");

    if (!app.WaitPage(IDC_TS_START)) return Fail(L"the start page is not shown");
    if (!WaitInformation(app)) return Fail(L"the information panel stays empty");
    DumpPage(app, L"tsStart");
    ShotPage(app.MainWindow(), L"start");
    Pause();

    app.Click(IDC_BTNSTARTNEXT);
    if (!app.WaitPage(IDC_TS_INPUTPATH)) return Fail(L"the path page is not shown");
    DumpPage(app, L"tsInputPath");
    ShotPage(app.MainWindow(), L"path");
    Pause();

    app.Click(IDC_BTNINPUTPATHNEXT);
    HWND warning = app.WaitMessageWindow();
    if (!warning) return Fail(L"the driver warning did not appear");
    Print(L"\n-- message window:");
    for (const auto& line : Lines(gui::TInstaller::MessageWindowText(warning)))
        Print(L"    | " + line);
    Shot(warning, L"driver-warning");
    Pause();
    app.PressMessageWindowOk(warning);
    if (!app.WaitMessageWindowGone()) return Fail(L"the driver warning did not close");

    if (!app.WaitPage(IDC_TS_INPUTCOMPONENTS)) return Fail(L"the components page is not shown");
    DumpPage(app, L"tsInputComponents");
    ShotPage(app.MainWindow(), L"components");
    Pause();

    app.Click(IDC_BTNINSATALL);
    if (!app.WaitPage(IDC_TS_PROGRESSINSTALL)) return Fail(L"the progress page is not shown");
    Print(L"\n== installation running");

    // Answer every question until the run ends: the window closes (final question
    // answered Yes), the large-font page appears, or nothing happens any more.
    // A line is printed once the next one exists: progress lines get their mark
    // in place, and a later line means the earlier one is final.
    size_t printed = 0;
    auto printLines = [&](bool all) {
        const auto lines = app.LogLines();
        const size_t upTo = all ? lines.size() : (lines.empty() ? 0 : lines.size() - 1);
        for (; printed < upTo; ++printed) Print(L"    | " + lines[printed]);
        return lines;
    };
    bool progressShot = false, copyShot = false;
    std::vector<std::wstring> seen;
    ULONGLONG lastChange = GetTickCount64();
    const ULONGLONG started = lastChange;
    for (;;) {
        const auto lines = printLines(false);
        if (lines != seen) {
            seen = lines;
            lastChange = GetTickCount64();
        }
        if (!app.Running()) break;
        // The database copy's progress bar, while it is there.
        if (!copyShot && app.Visible(IDC_COPYPROGRESS)) {
            ShotPage(app.MainWindow(), L"database-copy");
            copyShot = true;
        }
        if (HWND box = app.FindMessageBox()) {
            printLines(false);
            DumpDialog(box, L"question");
            if (!progressShot) {
                ShotPage(app.MainWindow(), L"progress");
                progressShot = true;
            }
            Pause();
            // Yes to the driver and to leaving at the end; OK to notices.
            app.Answer(box, GetDlgItem(box, IDYES) ? IDYES : IDOK);
            app.WaitMessageBoxGone();
            lastChange = GetTickCount64();
            continue;
        }
        if (app.VisiblePage() == IDC_TS_CHANGEFONTSIZE) break;
        if (app.Enabled(IDC_BTNEXIT) && app.VisiblePage() == IDC_TS_PROGRESSINSTALL) {
            // The run ended and may still ask its final question; give it a moment.
            if (!app.WaitMessageBox(2000) && app.VisiblePage() == IDC_TS_PROGRESSINSTALL) break;
            continue;
        }
        const ULONGLONG now = GetTickCount64();
        if (app.Responsive(500) && now - lastChange > 15000) {
            Print(L"    (nothing more happens: the run has ended here)");
            break;
        }
        if (now - started > 10 * 60 * 1000) return Fail(L"the installation did not end");
        Sleep(copyShot ? 200 : 20);
    }

    printLines(true);
    if (!app.Running()) {
        Print(L"\nInstall.exe closed after the final question, exit code " +
              std::to_wstring(app.ExitCode()));
        return app.ExitCode() == 0;
    }
    if (!progressShot) ShotPage(app.MainWindow(), L"progress");
    if (app.VisiblePage() == IDC_TS_CHANGEFONTSIZE) {
        DumpPage(app, L"tsChangeFontSize");
        ShotPage(app.MainWindow(), L"change-font-size");
        Pause();
        app.Click(IDC_BTNEXITONCHANGEFONT);
    } else if (app.Enabled(IDC_BTNEXIT)) {
        DumpPage(app, L"tsProgressInstall");
        app.Click(IDC_BTNEXIT);
    } else {
        DumpPage(app, L"tsProgressInstall");
        Print(L"closing the window with its close box");
        PostMessageW(app.MainWindow(), WM_CLOSE, 0, 0);
    }
    if (!app.WaitExit()) return Fail(L"Install.exe did not close");
    Print(L"\nInstall.exe closed, exit code " + std::to_wstring(app.ExitCode()));
    return app.ExitCode() == 0;
}

// The removal of that installation by the uninstaller it left, in its wizard
// form: the confirmation, the progress list, the end.
bool RunUninstall(const std::wstring& folder) {
    const std::wstring exe = folder + L"Uninstall.exe";
    if (!gui::FileExists(exe)) return Fail(L"the installation left no " + exe);
    Print(L"\n== " + exe + L" /UNINSTALL");
    gui::TInstaller app(exe, {}, L"/UNINSTALL");
    if (!app.Started()) return Fail(app.StartError());
    HWND box = app.WaitMessageBox();
    if (!box) return Fail(L"the removal's confirmation did not appear");
    DumpDialog(box, L"question");
    Shot(box, L"uninstall-confirmation");
    Pause();
    app.Answer(box, IDYES);
    if (!app.WaitMainWindow()) return Fail(L"the removal's progress page did not appear");
    box = nullptr;
    if (!gui::WaitUntil([&] { return (box = app.FindMessageBox()) != nullptr; }, 120000))
        return Fail(L"the removal did not end");
    for (const auto& line : app.LogLines()) Print(L"    | " + line);
    Shot(app.MainWindow(), L"uninstall-progress");
    DumpDialog(box, L"message");
    Shot(box, L"uninstall-end");
    Pause();
    app.Answer(box, IDOK);
    if (!app.WaitExit()) return Fail(L"the uninstaller did not close");
    Print(L"\nUninstall.exe closed, exit code " + std::to_wstring(app.ExitCode()));
    return app.ExitCode() == 0;
}

// Cancel on the start page, the question, the cancel page, "Выход".
bool RunCancel(const std::wstring& exe) {
    gui::TInstaller app(exe);
    if (!app.Started()) return Fail(app.StartError());
    if (!app.WaitMainWindow() || !app.WaitPage(IDC_TS_START)) return Fail(L"no start page");
    if (!WaitInformation(app)) return Fail(L"the information panel stays empty");
    app.Click(IDC_BTNCANCEL);
    HWND box = app.WaitMessageBox();
    if (!box) return Fail(L"the cancel question did not appear");
    DumpDialog(box, L"question");
    Shot(box, L"cancel-question");
    Pause();
    app.Answer(box, IDYES);
    if (!app.WaitPage(IDC_TS_CANCEL)) return Fail(L"the cancel page is not shown");
    DumpPage(app, L"tsCancel");
    ShotPage(app.MainWindow(), L"cancel");
    Pause();
    app.Click(IDC_BTNEXITCANCEL);
    if (!app.WaitExit()) return Fail(L"Install.exe did not close");
    Print(L"\nInstall.exe closed, exit code " + std::to_wstring(app.ExitCode()));
    return app.ExitCode() == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        Print(L"usage: DemoDriver <Install.exe> <screenshot folder> [pause ms]");
        return 2;
    }
    const std::wstring exe = gui::ToWindowsPath(gui::Narrow(argv[1]));
    GShots = gui::ToWindowsPath(gui::Narrow(argv[2]));
    if (GShots.back() != L'\\') GShots += L'\\';
    CreateDirectoryW(GShots.c_str(), nullptr);
    if (argc > 3) GPauseMs = static_cast<DWORD>(_wtoi(argv[3]));

    Print(L"== a whole installation from " + exe);
    const bool installed = RunInstallation(exe);
    // The path page's default folder, where the installation went.
    const bool removed = installed && RunUninstall(L"C:\\Rudeve\\");
    Print(L"\n== cancelling on the start page");
    const bool cancelled = RunCancel(exe);
    return installed && removed && cancelled ? 0 : 1;
}
