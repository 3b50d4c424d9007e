// Times installations and first windows inside one Windows process under Wine,
// so that Wine's own start-up is outside every measurement. Both sides of a
// comparison run in turn in the same process (A B A B ...): on a machine whose
// speed drifts between minutes, only runs next to each other compare.
//
//   InstallBench window EXE_A EXE_B PAIRS
//       process start to the first window shown and painted, one untimed run
//       of each, then PAIRS pairs: "window a|b <ms>".
//   InstallBench serve MEDIA TARGET SETUP.EXE
//       reads one command a line from stdin and answers each with one line:
//         unattended  Install.exe /VERYSILENT /NODRIVER /DIR=TARGET
//                     /LOG=TARGET..\unattended.log, start to exit:
//                     "unattended <ms>"
//         silent      SETUP.EXE /S /D=TARGET, start to exit: "silent <ms>"
//         install     Install.exe from MEDIA driven like an operator (driver box
//                     unchecked), from the press of the start button to the final
//                     question or the large-font page: "install <ms> <peak bytes>"
//         warm        only what comes before every timed run: "warm" (the
//                     caller times its own copy next)
//       MEDIA ends in '\'. Before every timed run TARGET is removed and the media's
//       database is copied once beside it and deleted, untimed; the operator's
//       run gets that copy after its pages, right before the press.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
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

std::wstring WithoutSlash(const std::wstring& folder) {
    return folder.substr(0, folder.find_last_not_of(L'\\') + 1);
}

// The copy every timed run follows at once: the timed writes then go into page
// cache just freed instead of memory the host may have taken back (bench/README.md).
bool UntimedCopy(const std::wstring& media, const std::wstring& target) {
    const std::wstring scratch = WithoutSlash(target) + L".warm";
    const bool ok = CopyFileW((media + L"DTAfb\\V12.FDB").c_str(), scratch.c_str(), FALSE) != FALSE;
    DeleteFileW(scratch.c_str());
    return ok;
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

// A visible dialog box (message box) of the process, found by its class.
HWND ShownDialog(DWORD pid) {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w;
         w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

// One installation through the pages; false when the wizard did not get to its end.
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
    if (!UntimedCopy(media, target)) return false;
    // Watched cheaply while it runs: a poll that walked every control of the
    // window each time would keep Wine's server busy and slow the installation.
    HWND fontPage = app.Control(IDC_TS_CHANGEFONTSIZE);
    const LARGE_INTEGER t0 = Now();
    app.Click(IDC_BTNINSATALL);
    bool done = false;
    while (!done && app.Running() && Ms(t0, Now()) < 10 * 60 * 1000.0) {
        if (fontPage && IsWindowVisible(fontPage)) {
            done = true;
        } else if (HWND box = ShownDialog(app.Pid())) {
            if (gui::DialogText(box).find(kFinalQuestion) == std::wstring::npos) {
                std::fprintf(stderr, "InstallBench: unexpected box: %s\n", gui::Narrow(gui::DialogText(box)).c_str());
                return false;
            }
            done = true;
        } else {
            Sleep(5);
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

bool SilentOnce(const std::wstring& media, const std::wstring& setup, const std::wstring& target, double& ms) {
    RemoveTarget(target);
    if (!UntimedCopy(media, target)) return false;
    return ProcessOnce(L"\"" + setup + L"\" /S /D=" + WithoutSlash(target), {}, ms);
}

bool UnattendedOnce(const std::wstring& media, const std::wstring& target, double& ms) {
    RemoveTarget(target);
    const std::wstring folder = WithoutSlash(target);
    const std::wstring log = folder.substr(0, folder.find_last_of(L'\\') + 1) + L"unattended.log";
    DeleteFileW(log.c_str());
    if (!UntimedCopy(media, target)) return false;
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

BOOL CALLBACK FindUnpainted(HWND w, LPARAM lp) {
    if (IsWindowVisible(w) && GetUpdateRect(w, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(lp) = true;
        return FALSE;
    }
    return TRUE;
}

// Shown, nothing left to paint in it or in any visible child, and the program
// idle (waiting for input).
bool Painted(HANDLE process, DWORD pid) {
    TFind f{pid, nullptr};
    EnumWindows(FindShown, reinterpret_cast<LPARAM>(&f));
    if (!f.found || WaitForInputIdle(process, 0) != 0) return false;
    bool unpainted = GetUpdateRect(f.found, nullptr, FALSE) != FALSE;
    if (!unpainted) EnumChildWindows(f.found, FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    return !unpainted;
}

// Start to the first window painted. The wait for the first idle moment costs
// the program nothing; only after it is the window polled, every millisecond
// (a coarser step would round every run of some 100 ms up by that step).
bool WindowOnce(const std::wstring& exe, double& ms) {
    std::wstring cmd = L"\"" + exe + L"\"";
    std::wstring folder = std::filesystem::path(exe).parent_path().wstring();
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const LARGE_INTEGER t0 = Now();
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return false;
    WaitForInputIdle(pi.hProcess, 60000);
    bool painted = false;
    while (!(painted = Painted(pi.hProcess, pi.dwProcessId)) && Ms(t0, Now()) < 60000 &&
           WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT) {
    }
    ms = Ms(t0, Now());
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return painted;
}

int WindowPairs(const std::wstring& a, const std::wstring& b, int pairs) {
    for (int i = -1; i < pairs; ++i) {
        for (const auto& [side, exe] : {std::pair{"a", &a}, std::pair{"b", &b}}) {
            double ms = 0;
            if (!WindowOnce(*exe, ms)) {
                std::fprintf(stderr, "InstallBench: no window appeared for %ls\n", exe->c_str());
                return 1;
            }
            if (i >= 0) std::printf("window %s %.1f\n", side, ms);
            std::fflush(stdout);
        }
    }
    return 0;
}

int Serve(const std::wstring& media, const std::wstring& target, const std::wstring& setup) {
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
        line[std::strcspn(line, "\r\n")] = 0;
        const std::string command = line;
        double ms = 0;
        if (command == "unattended") {
            if (!UnattendedOnce(media, target, ms)) {
                std::fprintf(stderr, "InstallBench: the unattended installation failed\n");
                return 1;
            }
            std::printf("unattended %.1f\n", ms);
        } else if (command == "silent") {
            if (!SilentOnce(media, setup, target, ms)) {
                std::fprintf(stderr, "InstallBench: the silent installer failed\n");
                return 1;
            }
            std::printf("silent %.1f\n", ms);
        } else if (command == "install") {
            SIZE_T peak = 0;
            if (!InstallOnce(media, target, ms, peak)) {
                std::fprintf(stderr, "InstallBench: the installation did not reach its end\n");
                return 1;
            }
            std::printf("install %.1f %zu\n", ms, static_cast<size_t>(peak));
        } else if (command == "warm") {
            RemoveTarget(target);
            if (!UntimedCopy(media, target)) {
                std::fprintf(stderr, "InstallBench: the untimed copy failed\n");
                return 1;
            }
            std::printf("warm\n");
        } else if (!command.empty()) {
            std::fprintf(stderr, "InstallBench: unknown command %s\n", command.c_str());
            return 2;
        }
        std::fflush(stdout);
    }
    RemoveTarget(target);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    gui::PrepareWine();
    if (mode == L"window" && argc == 5) return WindowPairs(argv[2], argv[3], std::max(1, _wtoi(argv[4])));
    if (mode == L"serve" && argc == 5) return Serve(argv[2], argv[3], argv[4]);
    std::fputs("usage: InstallBench window EXE_A EXE_B PAIRS | serve MEDIA TARGET SETUP\n", stderr);
    return 2;
}
