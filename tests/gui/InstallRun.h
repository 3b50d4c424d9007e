// Runs one installation through the real Install.exe for the engine's scenario
// tests: types the target, answers the questions by a script, records every
// message box, and stops when the run has come to rest.
#pragma once
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "GuiDriver.h"
#include "WizardFixture.h"

namespace run {

const wchar_t* const DriverQuestion = L"Подключите интерфейсный блок и нажмите \"Yes\"?";
const wchar_t* const FinalQuestion = L"Установка завершена. Выйти из программы установки?";

struct TScript {
    bool driverChecked = true;
    bool driverYes = true;
    bool finalYes = false;
};

struct TOutcome {
    bool reachedProgress = false;
    std::vector<std::wstring> boxes;  // every message box text, in order
    std::vector<std::wstring> lines;  // LogList when the run came to rest
    bool exited = false;              // the program closed by itself
    int page = 0;                     // visible page at rest
    bool exitEnabled = false;
};

inline bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

// Lines without the font step's, which depend on what the prefix already holds.
inline std::vector<std::wstring> WithoutFontLines(const std::vector<std::wstring>& lines) {
    std::vector<std::wstring> out;
    for (const auto& l : lines)
        if (l.rfind(L"Шрифт <", 0) != 0) out.push_back(l);
    return out;
}

// Drives app from its start page into the installation and on until it rests:
// the program exited, the large-font page is shown, or no box came for a while
// after the window answers again.
inline TOutcome Install(gui::TInstaller& app, const std::wstring& target, const TScript& script) {
    TOutcome out;
    if (!app.WaitMainWindow() || !app.WaitPage(IDC_TS_START)) return out;
    app.Click(IDC_BTNSTARTNEXT);
    if (!app.WaitPage(IDC_TS_INPUTPATH)) return out;
    app.Type(IDC_EPATH, target);
    app.Click(IDC_BTNINPUTPATHNEXT);
    if (HWND warning = app.WaitMessageWindow()) {
        app.PressMessageWindowOk(warning);
        app.WaitMessageWindowGone();
    }
    if (!app.WaitPage(IDC_TS_INPUTCOMPONENTS)) return out;
    if (!script.driverChecked) app.Click(IDC_CBDRIVERINSTAL);
    if (!gui::WaitUntil([&] { return (app.CheckState(IDC_CBDRIVERINSTAL) == BST_CHECKED) == script.driverChecked; }))
        return out;
    app.Click(IDC_BTNINSATALL);
    out.reachedProgress = app.WaitPage(IDC_TS_PROGRESSINSTALL);

    ULONGLONG quietSince = GetTickCount64();
    const ULONGLONG started = quietSince;
    for (;;) {
        if (!app.Running()) {
            out.exited = true;
            break;
        }
        if (HWND box = app.FindMessageBox()) {
            const std::wstring text = gui::DialogText(box);
            out.boxes.push_back(text);
            int answer = IDOK;
            if (Contains(text, DriverQuestion)) answer = script.driverYes ? IDYES : IDNO;
            else if (Contains(text, FinalQuestion)) answer = script.finalYes ? IDYES : IDNO;
            app.Answer(box, answer);
            app.WaitMessageBoxGone();
            quietSince = GetTickCount64();
            continue;
        }
        if (app.VisiblePage() == IDC_TS_CHANGEFONTSIZE) break;
        if (!app.Responsive(500)) {
            quietSince = GetTickCount64();  // busy (a script or the driver installer runs)
        } else if (GetTickCount64() - quietSince > 4000) {
            break;
        }
        if (GetTickCount64() - started > 5 * 60 * 1000) break;
        Sleep(100);
    }
    if (!out.exited) {
        out.lines = app.LogLines();
        out.page = app.VisiblePage();
        out.exitEnabled = app.Enabled(IDC_BTNEXIT);
    }
    return out;
}

// Asks the window to close as its close box would; true when the program ended.
inline bool CloseByCloseBox(gui::TInstaller& app) {
    PostMessageW(app.MainWindow(), WM_CLOSE, 0, 0);
    return app.WaitExit(10000);
}

// --- What is on disk ------------------------------------------------------------

inline std::string ReadAll(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string s;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) s.append(buf, got);
    CloseHandle(h);
    return s;
}

inline void WriteAll(const std::wstring& path, const std::string& content) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD n = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &n, nullptr);
    CloseHandle(h);
}

inline long long SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return -1;
    return (static_cast<long long>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

inline std::wstring Ini(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t value[256] = {};
    GetPrivateProfileStringW(section, key, L"<none>", value, 256, file.c_str());
    return value;
}

const wchar_t* const ShellFoldersKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const wchar_t* const UserShellFoldersKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The desktop folder as the installer finds it (the current user's shell folders).
inline std::wstring DesktopFolder() {
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, ShellFoldersKey, L"Desktop", RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return L"";
    return value;
}

inline std::wstring DesktopLink() { return DesktopFolder() + L"\\Велитор - Vudeze.lnk"; }

// Wine points every prefix's desktop at the Unix home folder, which all test
// programs share; give this prefix a desktop of its own.
inline void IsolateDesktop() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"Desktop";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* key : {ShellFoldersKey, UserShellFoldersKey}) {
        HKEY h;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) != ERROR_SUCCESS)
            continue;
        RegSetValueExW(h, L"Desktop", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(h);
    }
}

inline std::string LevelOf(const std::string& xml) {
    const size_t a = xml.find("<Level>"), b = xml.find("</Level>");
    return a == std::string::npos || b == std::string::npos ? "<none>" : xml.substr(a + 7, b - a - 7);
}

inline std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

// The screen's font size for programs started from now on (Wine reads it at start).
inline void SetLogPixels(DWORD dpi) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
        RegCloseKey(key);
    }
}

// Under Wine: link (a Windows path) becomes a Unix symbolic link to unixTarget.
inline bool MakeUnixLink(const std::wstring& link, const std::string& unixTarget) {
    using TUnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<TUnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!unixName) return false;
    char* parent = unixName(link.substr(0, link.find_last_of(L'\\')).c_str());
    if (!parent) return false;
    std::wstring cmd = L"/bin/ln -sfn \"" + gui::Widen(unixTarget) + L"\" \"" + gui::Widen(parent) + L"/" +
                       link.substr(link.find_last_of(L'\\') + 1) + L"\"";
    HeapFree(GetProcessHeap(), 0, parent);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return gui::WaitUntil([&] {
        WIN32_FIND_DATAW d;
        HANDLE h = FindFirstFileW(link.c_str(), &d);
        if (h == INVALID_HANDLE_VALUE) return false;
        FindClose(h);
        return true;
    }, 5000);
}

// The lines a complete database stage adds after the optional folder line.
inline std::vector<std::wstring> DatabaseLines(bool xp = false) {
    std::vector<std::wstring> names = {L"V12.FDB", L"aliases.conf", L"firebird.conf", L"fbclient.Dll", L"ib_util.Dll",
                                       L"icudt30.Dll", L"icuin30.Dll", L"icuuc30.Dll",
                                       xp ? L"msvcp71.Dll" : L"msvcp80.Dll", xp ? L"msvcr71.Dll" : L"msvcr80.Dll",
                                       L"firebird.msg"};
    if (!xp) {
        names.push_back(L"gbak.exe");
        names.push_back(L"gds32.dll");
    }
    for (const wchar_t* n : {L"fbintl.conf", L"fbintl.dll", L"fbudf.dll", L"ib_udf.dll", L"fbudf.sql", L"ib_udf.sql",
                             L"ib_udf2.sql", L"Collate.Dll", L"StrAt.Dll", L"TraceWork.Dll", L"Verdict.Dll"})
        names.push_back(n);
    std::vector<std::wstring> lines;
    for (const auto& n : names) lines.push_back(L"Копирование файла " + n + L"....Завершено");
    return lines;
}

inline std::vector<std::wstring> Concat(std::initializer_list<std::vector<std::wstring>> parts) {
    std::vector<std::wstring> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Unattended scenarios: the sample media in a distribution of its own, a desktop
// of the test's own, and the installation folder below the distribution's root.
class TUnattendedTest : public ::testing::Test {
protected:
    explicit TUnattendedTest(std::wstring targetName = L"Target") : FTargetName(std::move(targetName)) {}

    gui::TDistribution Dist{true};
    std::wstring Target;

    void SetUp() override {
        ASSERT_TRUE(Dist.Ready()) << "INSTALL_EXE must name the built Install.exe";
        IsolateDesktop();
        Target = Dist.Root() + FTargetName + L"\\";
    }

private:
    std::wstring FTargetName;
};

// The installation scenarios' fixture: the wizard's (sample media, a picture of
// the screen when a check fails) with a target whose name has a blank, the
// desktop isolated and empty of the link, small fonts.
class TRunTest : public wizard::TWizardTest {
protected:
    TRunTest() : TWizardTest(true) {}

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(TWizardTest::SetUp());
        Target = Dist.Root() + L"Target Folder\\";
        SetLogPixels(96);
        IsolateDesktop();
        DeleteFileW(DesktopLink().c_str());
    }

    // Prepares the target the way the path page would find it.
    void MakeTarget() const {
        CreateDirectoryW(Target.c_str(), nullptr);
        CreateDirectoryW((Target + L"Settings").c_str(), nullptr);
        CreateDirectoryW((Target + L"DTAfb").c_str(), nullptr);
    }

    static void RemoveTree(const std::wstring& folder) {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

}  // namespace run
