// Times whole installations and first windows inside one Windows process under
// Wine, so that Wine's own start-up is outside every measurement.
//   InstallBench install MEDIA TARGET RUNS
//       Install.exe from MEDIA (a folder ending in '\') into TARGET, driven like an
//       operator (driver box unchecked): from the press of the start button to the
//       final question or the large-font page. Prints "install <ms> <peak bytes>".
//   InstallBench unattended MEDIA TARGET RUNS
//       Install.exe /VERYSILENT /NODRIVER /DIR=TARGET /LOG=TARGET..\unattended.log,
//       a whole process from start to exit: "unattended <ms>". The log of the
//       last run stays for the per-stage times.
//   InstallBench silent SETUP.EXE TARGET RUNS
//       a silent installer (SETUP.EXE /S /D=TARGET), start to exit: "silent <ms>".
//   InstallBench window EXE RUNS
//       process start to its first window shown and painted: "window <ms>".
// TARGET is removed before every run.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "GuiDriver.h"

namespace {

const wchar_t* const kFinalQuestion = L"Установка завершена. Выйти из программы установки?";

double Ms(LARGE_INTEGER a, LARGE_INTEGER b) {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return f;
    }();
    return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(freq.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER t{};
    QueryPerformanceCounter(&t);
    return t;
}

void RemoveTarget(const std::wstring& target) {
    std::error_code ec;
    for (auto& e : std::filesystem::recursive_directory_iterator(target, ec))
        SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(target, ec);
}

SIZE_T PeakWorkingSet(DWORD pid) {
    HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!h) return 0;
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    SIZE_T peak = GetProcessMemoryInfo(h, &pmc, sizeof pmc) ? pmc.PeakWorkingSetSize : 0;
    CloseHandle(h);
    return peak;
}

// One installation; false when the wizard did not get to its end.
bool InstallOnce(const std::wstring& media, const std::wstring& target, double& ms, SIZE_T& peak) {
    RemoveTarget(target);
    gui::TInstaller app(media + L"Install.exe", media);
    if (!app.WaitMainWindow() || !app.WaitPage(IDC_TS_START)) return false;
    app.Click(IDC_BTNSTARTNEXT);
    if (!app.WaitPage(IDC_TS_INPUTPATH)) return false;
    app.Type(IDC_EPATH, target);
    app.Click(IDC_BTNINPUTPATHNEXT);
    if (HWND warning = app.WaitMessageWindow()) {
        app.PressMessageWindowOk(warning);
        app.WaitMessageWindowGone();
    }
    if (!app.WaitPage(IDC_TS_INPUTCOMPONENTS)) return false;
    app.Click(IDC_CBDRIVERINSTAL);
    if (!gui::WaitUntil([&] { return app.CheckState(IDC_CBDRIVERINSTAL) == BST_UNCHECKED; })) return false;
    const LARGE_INTEGER t0 = Now();
    app.Click(IDC_BTNINSATALL);
    bool done = false;
    while (!done && app.Running() && Ms(t0, Now()) < 10 * 60 * 1000.0) {
        if (app.VisiblePage() == IDC_TS_CHANGEFONTSIZE) {
            done = true;
        } else if (HWND box = app.FindMessageBox()) {
            if (gui::DialogText(box).find(kFinalQuestion) == std::wstring::npos) {
                std::fprintf(stderr, "InstallBench: unexpected box: %s\n", gui::Narrow(gui::DialogText(box)).c_str());
                return false;
            }
            done = true;
        } else {
            Sleep(2);
        }
    }
    ms = Ms(t0, Now());
    peak = PeakWorkingSet(app.Pid());
    app.Kill();
    app.WaitExit(10000);
    return done;
}

// Whole process, start to exit; false when it did not end with 0.
bool ProcessOnce(std::wstring cmd, const std::wstring& folder, double& ms) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const LARGE_INTEGER t0 = Now();
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    ms = Ms(t0, Now());
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 0;
}

bool SilentOnce(const std::wstring& setup, const std::wstring& target, double& ms) {
    RemoveTarget(target);
    return ProcessOnce(L"\"" + setup + L"\" /S /D=" + target, {}, ms);
}

bool UnattendedOnce(const std::wstring& media, const std::wstring& target, double& ms) {
    RemoveTarget(target);
    std::wstring folder = target.substr(0, target.find_last_not_of(L'\\') + 1);
    const std::wstring log = folder.substr(0, folder.find_last_of(L'\\') + 1) + L"unattended.log";
    DeleteFileW(log.c_str());
    return ProcessOnce(L"\"" + media + L"Install.exe\" /VERYSILENT /NODRIVER /DIR=\"" + target +
                           L"\" /LOG=\"" + log + L"\"",
                       media, ms);
}

struct TFind {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindShown(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<TFind*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    RECT r{};
    if (pid == f->pid && IsWindowVisible(w) && GetWindowRect(w, &r) && r.right > r.left) {
        f->found = w;
        return FALSE;
    }
    return TRUE;
}

// Start to a visible top-level window with nothing left to paint, and the
// program idle (waiting for input).
bool WindowOnce(const std::wstring& exe, double& ms) {
    std::wstring cmd = L"\"" + exe + L"\"";
    std::wstring folder = std::filesystem::path(exe).parent_path().wstring();
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const LARGE_INTEGER t0 = Now();
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return false;
    TFind f{pi.dwProcessId, nullptr};
    bool shown = gui::WaitUntil([&] {
        f.found = nullptr;
        EnumWindows(FindShown, reinterpret_cast<LPARAM>(&f));
        if (!f.found) return false;
        WaitForInputIdle(pi.hProcess, 1000);
        return GetUpdateRect(f.found, nullptr, FALSE) == FALSE;
    });
    ms = Ms(t0, Now());
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return shown;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    const int runs = std::max(1, _wtoi(argv[argc - 1]));
    gui::PrepareWine();
    for (int i = 0; i < runs; ++i) {
        double ms = 0;
        if (mode == L"install" && argc == 5) {
            SIZE_T peak = 0;
            if (!InstallOnce(argv[2], argv[3], ms, peak)) {
                std::fprintf(stderr, "InstallBench: the installation did not reach its end\n");
                return 1;
            }
            std::printf("install %.1f %zu\n", ms, static_cast<size_t>(peak));
        } else if (mode == L"unattended" && argc == 5) {
            if (!UnattendedOnce(argv[2], argv[3], ms)) {
                std::fprintf(stderr, "InstallBench: the unattended installation failed\n");
                return 1;
            }
            std::printf("unattended %.1f\n", ms);
        } else if (mode == L"silent" && argc == 5) {
            if (!SilentOnce(argv[2], argv[3], ms)) {
                std::fprintf(stderr, "InstallBench: the silent installer failed\n");
                return 1;
            }
            std::printf("silent %.1f\n", ms);
        } else if (mode == L"window" && argc == 4) {
            if (!WindowOnce(argv[2], ms)) {
                std::fprintf(stderr, "InstallBench: no window appeared\n");
                return 1;
            }
            std::printf("window %.1f\n", ms);
        } else {
            std::fputs("usage: InstallBench install MEDIA TARGET RUNS | unattended MEDIA TARGET RUNS | silent SETUP TARGET RUNS | window EXE RUNS\n",
                       stderr);
            return 2;
        }
        std::fflush(stdout);
    }
    if (mode != L"window") RemoveTarget(argv[3]);
    return 0;
}
