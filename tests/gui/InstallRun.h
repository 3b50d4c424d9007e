// Whole installations through the real Install.exe: one drive from the start page
// to the run's end, what the operator saw on the way, read-backs of what the run
// left (target, fonts, desktop link), and the installation scenarios' fixture,
// which also writes one row per fault scenario into the robustness table
// (ROBUSTNESS_DIR/<suite>.tsv).
#pragma once
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "GuiDriver.h"
#include "WizardFixture.h"
#include "tests/OperatorTexts.h"

namespace run {

// --- Files ----------------------------------------------------------------------

// The whole file, or "<missing>" when it cannot be opened. Shared every way:
// the program may be writing or removing it meanwhile.
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

inline bool WriteAll(const std::wstring& path, const std::string& bytes) {
    std::ofstream f(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    f << bytes;
    return static_cast<bool>(f);
}

inline long long SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return -1;
    return (static_cast<long long>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

// Removes a file or a folder tree, read-only entries included.
inline void RemovePath(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = d.cFileName;
            if (name != L"." && name != L"..") RemovePath(path + L"\\" + name);
        } while (FindNextFileW(h, &d));
        FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
}

inline std::wstring Ini(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t value[256] = {};
    GetPrivateProfileStringW(section, key, L"<none>", value, 256, file.c_str());
    return value;
}

inline std::string LevelOf(const std::string& xml) {
    const size_t a = xml.find("<Level>"), b = xml.find("</Level>");
    return a == std::string::npos || b == std::string::npos ? "<none>" : xml.substr(a + 7, b - a - 7);
}

inline std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

inline bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

inline bool EndsWith(const std::wstring& s, const std::wstring& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
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
    // Wine does not track a Unix process: wait for its effect (a device file
    // has no attributes under Wine, so look for the name).
    return gui::WaitUntil([&] {
        WIN32_FIND_DATAW d;
        HANDLE h = FindFirstFileW(link.c_str(), &d);
        if (h == INVALID_HANDLE_VALUE) return false;
        FindClose(h);
        return true;
    }, 5000);
}

// Size of the database file the installer is writing into folder (its DTAfb\):
// V12.FDB.tmp, or V12.FDB when it is not `other` bytes long (the clinic's
// database, whose size is no whole number of the copy's 1 MiB blocks). -1 when
// there is none.
inline long long BytesBeingWritten(const std::wstring& folder, long long other) {
    long long written = -1;
    for (const wchar_t* name : {L"V12.FDB.tmp", L"V12.FDB"}) {
        const long long size = SizeOf(folder + name);
        if (size >= 0 && size != other) written = std::max(written, size);
    }
    return written;
}

// Waits, polling without pause, until the installer has written at least bytes
// of a file in folder (0: the file exists). False when the process ends first
// or nothing is written within limitMs.
inline bool WaitWritten(gui::TInstaller& app, const std::wstring& folder, long long bytes, long long other,
                        DWORD limitMs = 120000) {
    const ULONGLONG start = GetTickCount64();
    for (unsigned n = 0;; ++n) {
        if (BytesBeingWritten(folder, other) >= bytes) return true;
        if ((n & 255) == 0 && (!app.Running() || GetTickCount64() - start > limitMs)) return false;
    }
}

// --- Progress lines -------------------------------------------------------------

inline std::vector<std::wstring> Concat(std::initializer_list<std::vector<std::wstring>> parts) {
    std::vector<std::wstring> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// The font step's lines, and the others: which fonts get a line depends on
// what the prefix already holds.
inline std::vector<std::wstring> FontLines(const std::vector<std::wstring>& lines) {
    std::vector<std::wstring> out;
    for (const auto& l : lines)
        if (l.rfind(texts::FontLine, 0) == 0) out.push_back(l);
    return out;
}
inline std::vector<std::wstring> WithoutFontLines(const std::vector<std::wstring>& lines) {
    std::vector<std::wstring> out;
    for (const auto& l : lines)
        if (l.rfind(texts::FontLine, 0) != 0) out.push_back(l);
    return out;
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
    for (const auto& n : names) lines.push_back(texts::CopyLine + n + L"...." + MarkDone);
    return lines;
}

// Database lines up to and including the one for name, that one with mark.
inline std::vector<std::wstring> DatabaseLinesUpTo(const std::wstring& name, const std::wstring& mark) {
    std::vector<std::wstring> lines;
    const std::wstring announce = texts::CopyLine + name + L"....";
    for (const auto& l : DatabaseLines()) {
        if (l.rfind(announce, 0) == 0) {
            lines.push_back(announce + mark);
            return lines;
        }
        lines.push_back(l);
    }
    return lines;
}

// --- The desktop and the fonts --------------------------------------------------

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

inline std::wstring DesktopLink() { return DesktopFolder() + L"\\" + texts::LinkName; }

// The desktop all users share, where unattended runs put the link.
inline std::wstring CommonDesktop() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path))) return L"";
    return path;
}

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

struct TLink {
    bool Loaded = false;
    std::wstring Path, Arguments, Description, WorkingFolder;
};

inline TLink ReadLink(const std::wstring& file) {
    TLink c;
    const HRESULT com = CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
        c.Loaded = true;
        wchar_t buf[1024] = {};
        link->GetPath(buf, 1024, nullptr, SLGP_RAWPATH);
        c.Path = buf;
        buf[0] = 0;
        link->GetArguments(buf, 1024);
        c.Arguments = buf;
        buf[0] = 0;
        link->GetDescription(buf, 1024);
        c.Description = buf;
        buf[0] = 0;
        link->GetWorkingDirectory(buf, 1024);
        c.WorkingFolder = buf;
    }
    if (persist) persist->Release();
    if (link) link->Release();
    if (SUCCEEDED(com)) CoUninitialize();
    return c;
}

// The desktop link points at the main program in the target folder.
inline void ExpectDesktopLink(const std::wstring& target, const std::wstring& desktop = DesktopFolder()) {
    const std::wstring file = desktop + L"\\" + texts::LinkName;
    ASSERT_TRUE(gui::FileExists(file)) << gui::Narrow(file);
    const TLink link = ReadLink(file);
    ASSERT_TRUE(link.Loaded);
    EXPECT_EQ(link.Path, target + L"Shell.exe");
    EXPECT_EQ(link.WorkingFolder, target);
    EXPECT_EQ(link.Arguments, L"");
    EXPECT_EQ(link.Description, texts::LinkDescription);
}

inline const wchar_t* const FontFiles[] = {L"ARIAL.TTF", L"ARIALN.TTF", L"COUR.TTF", L"MICROSS.TTF",
                                           L"TAHOMA.TTF", L"TIMES.TTF", L"verdana.TTF"};
inline const wchar_t* const FontsKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

inline std::wstring FontsFolder() {
    wchar_t buf[MAX_PATH] = {};
    GetWindowsDirectoryW(buf, MAX_PATH);
    return std::wstring(buf) + L"\\Fonts\\";
}

// Takes the complex's fonts out of the fonts folder, so that the next run
// installs each one again and gives it its line.
inline void ForgetFonts() {
    for (const wchar_t* f : FontFiles) DeleteFileW((FontsFolder() + f).c_str());
}

inline std::wstring MachineString(const wchar_t* key, const std::wstring& name) {
    wchar_t buf[1024] = {};
    DWORD bytes = sizeof(buf) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name.c_str(), RRF_RT_REG_SZ, nullptr, buf, &bytes) != ERROR_SUCCESS)
        return L"<no value>";
    return buf;
}

// The descriptive name of a media font, found by matching it against the
// fonts-liberation files it was made from (names as the fonts themselves give them).
inline std::wstring LiberationName(const std::wstring& mediaFont) {
    static const std::pair<const wchar_t*, const wchar_t*> known[] = {
        {L"LiberationMono-Regular", L"Liberation Mono"},
        {L"LiberationMono-Bold", L"Liberation Mono Bold"},
        {L"LiberationMono-Italic", L"Liberation Mono Italic"},
        {L"LiberationMono-BoldItalic", L"Liberation Mono Bold Italic"},
        {L"LiberationSans-Regular", L"Liberation Sans"},
        {L"LiberationSans-Bold", L"Liberation Sans Bold"},
        {L"LiberationSans-Italic", L"Liberation Sans Italic"},
        {L"LiberationSans-BoldItalic", L"Liberation Sans Bold Italic"},
        {L"LiberationSansNarrow-Regular", L"Liberation Sans Narrow"},
        {L"LiberationSansNarrow-Bold", L"Liberation Sans Narrow Bold"},
        {L"LiberationSansNarrow-Italic", L"Liberation Sans Narrow Italic"},
        {L"LiberationSansNarrow-BoldItalic", L"Liberation Sans Narrow Bold Italic"},
        {L"LiberationSerif-Regular", L"Liberation Serif"},
        {L"LiberationSerif-Bold", L"Liberation Serif Bold"},
        {L"LiberationSerif-Italic", L"Liberation Serif Italic"},
        {L"LiberationSerif-BoldItalic", L"Liberation Serif Bold Italic"},
    };
    const std::string data = ReadAll(mediaFont);
    if (data == "<missing>") return L"<missing>";
    for (const auto& [stem, name] : known)
        if (ReadAll(std::wstring(L"Z:\\usr\\share\\fonts\\truetype\\liberation\\") + stem + L".ttf") == data)
            return name;
    return L"<not a fonts-liberation file>";
}

// The seven fonts are in the prefix's fonts folder, registered for the machine
// with the bare file name, and each has its line (with its Latin "c").
inline void ExpectFontsInstalled(const std::wstring& media, const std::vector<std::wstring>& lines) {
    std::vector<std::wstring> expectedLines;
    std::map<std::wstring, std::wstring> expectedValues;
    for (const wchar_t* file : FontFiles) {
        const std::wstring name = LiberationName(media + L"fonts\\" + file);
        expectedLines.push_back(texts::FontLine + name + L"> у\x0063тановлен");
        expectedValues[name + L" (TrueType)"] = file;  // a later font of the same name wins
        EXPECT_EQ(ReadAll(FontsFolder() + file), ReadAll(media + L"fonts\\" + file)) << gui::Narrow(file);
    }
    EXPECT_EQ(FontLines(lines), expectedLines);
    for (const auto& [value, data] : expectedValues)
        EXPECT_EQ(MachineString(FontsKey, value), data) << gui::Narrow(value);
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

// Puts the stand-in syssetup.dll (FAKE_SYSSETUP) into this run's own system
// folder, so the large-font switch runs and the restart question follows.
// Wine has none; the prefix is a throw-away copy.
inline bool PlantFontSizeSwitch() {
#ifdef FAKE_SYSSETUP
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    return CopyFileW(gui::ToWindowsPath(FAKE_SYSSETUP).c_str(), (std::wstring(system) + L"\\syssetup.dll").c_str(),
                     FALSE) != FALSE;
#else
    return false;
#endif
}

// --- The drive ------------------------------------------------------------------

enum class TAnswer { No, Leave };  // Leave: the box stays open for the test

struct TOptions {
    bool Driver = false;                // leave "Устанавливать драйвер" checked
    bool DriverYes = true;              // the answer to the driver question
    TAnswer Final = TAnswer::No;        // the answer to the final question
    DWORD LimitMs = 300000;             // the whole run
    std::function<void()> AfterClick = nullptr;  // right after "Начать установку" is pressed
};

// What one run showed the operator.
struct TOutcome {
    bool ReachedProgress = false;
    std::vector<std::wstring> Boxes;   // every message box, questions included, in order
    std::vector<std::wstring> Errors;  // the boxes that were no question
    std::vector<std::wstring> Lines;   // the progress list at the end (while the program runs)
    bool DriverQuestion = false;
    bool Completed = false;            // the large-font page or the final question came
    HWND FinalBox = nullptr;           // the final question, left open (TAnswer::Leave)
    bool Exited = false;               // the program ended by itself
    bool TimedOut = false;
    bool WaitRunShown = false;         // the hidden launch-progress window became visible
    int Page = 0;                      // the visible page at the end
    bool ExitEnabled = false;

    std::wstring LastLine() const { return Lines.empty() ? L"" : Lines.back(); }
    std::wstring LineStarting(const std::wstring& head) const {
        for (const auto& l : Lines)
            if (l.rfind(head, 0) == 0) return l;
        return L"<none>";
    }
    // A short account for messages and the robustness table.
    std::string Summary() const {
        std::string s;
        if (TimedOut) s += "no end within the time limit; ";
        for (const auto& e : Errors) s += "error box \"" + gui::Visible(e.substr(0, 90)) + "\"; ";
        s += std::to_string(Lines.size()) + " lines";
        if (!Lines.empty()) s += ", last \"" + gui::Visible(LastLine().substr(0, 70)) + "\"";
        s += Completed ? "; completed" : Exited ? "; exited" : "; ended early";
        s += ExitEnabled ? "; Выход enabled" : "; Выход disabled";
        return s;
    }
};

// How long the lines must stay as they are, the window answering and no box
// open, before the run counts as stopped without a box. A copy marked
// ОШИБКА!!! ends the run, so 3 s after one is plenty. Any other line may be
// followed by a long silent step (a flush of the uninstaller or the record waits
// for the whole disk under Wine, seconds when another test writes beside it), so
// a stop there, which no scenario expects, is only taken after a minute.
inline DWORD QuietMsForAStop(const std::vector<std::wstring>& lines) {
    return !lines.empty() && EndsWith(lines.back(), MarkError) ? 3000 : 60000;
}

// From the press of "Начать установку" (already made) to the run's end: an
// error box (answered OK), the large-font page, the final question (answered No
// or left open), the program gone, or a stop that leaves the window answering
// with its lines unchanged (QuietMsForAStop).
inline TOutcome Follow(gui::TInstaller& app, const TOptions& o) {
    TOutcome out;
    const ULONGLONG start = GetTickCount64();
    std::vector<std::wstring> last;
    ULONGLONG stableSince = start;
    for (;;) {
        if (GetTickCount64() - start > o.LimitMs) {
            out.TimedOut = true;
            break;
        }
        if (!app.Running()) {
            out.Exited = true;
            break;
        }
        if (app.FindTopLevel(L"TFWaitRun")) out.WaitRunShown = true;
        if (HWND box = app.FindMessageBox()) {
            const std::wstring text = gui::DialogText(box);
            if (text.empty()) {  // still being built
                Sleep(20);
                continue;
            }
            out.Boxes.push_back(text);
            if (text == DriverQuestion) {
                out.DriverQuestion = true;
                app.Answer(box, o.DriverYes ? IDYES : IDNO);
                app.WaitMessageBoxGone();
                continue;
            }
            if (text == FinalQuestion) {
                out.Completed = true;
                if (o.Final == TAnswer::Leave) {
                    out.FinalBox = box;
                    break;
                }
                app.Answer(box, IDNO);
                app.WaitMessageBoxGone();
                break;
            }
            out.Errors.push_back(text);
            app.Answer(box, IDOK);
            app.WaitMessageBoxGone();
            break;
        }
        if (app.VisiblePage() == IDC_TS_CHANGEFONTSIZE) {
            out.Completed = true;
            break;
        }
        const auto lines = app.LogLines();
        if (lines != last) {
            last = lines;
            stableSince = GetTickCount64();
        } else if (!lines.empty() && GetTickCount64() - stableSince > QuietMsForAStop(lines) && app.Responsive(500) &&
                   !app.FindMessageBox()) {
            break;  // stopped without a box
        }
        Sleep(30);
    }
    if (app.Running()) {
        out.Lines = app.LogLines();
        out.Page = app.VisiblePage();
        out.ExitEnabled = app.Enabled(IDC_BTNEXIT);
    }
    return out;
}

// The whole drive for a program of the test's own: start page, path page (the
// driver warning's OK), components page, "Начать установку", the run.
inline TOutcome Install(gui::TInstaller& app, const std::wstring& target, const TOptions& o = {}) {
    if (!app.WaitMainWindow() || !app.WaitPage(IDC_TS_START)) return {};
    app.Click(IDC_BTNSTARTNEXT);
    if (!app.WaitPage(IDC_TS_INPUTPATH)) return {};
    app.Type(IDC_EPATH, target);
    app.Click(IDC_BTNINPUTPATHNEXT);
    if (HWND warning = app.WaitMessageWindow()) {
        app.PressMessageWindowOk(warning);
        app.WaitMessageWindowGone();
    }
    if (!app.WaitPage(IDC_TS_INPUTCOMPONENTS)) return {};
    if ((app.CheckState(IDC_CBDRIVERINSTAL) == BST_CHECKED) != o.Driver) app.Click(IDC_CBDRIVERINSTAL);
    if (!gui::WaitUntil([&] { return (app.CheckState(IDC_CBDRIVERINSTAL) == BST_CHECKED) == o.Driver; })) return {};
    app.Click(IDC_BTNINSATALL);
    const bool reached = app.WaitPage(IDC_TS_PROGRESSINSTALL);
    TOutcome out = Follow(app, o);
    out.ReachedProgress = reached || out.Exited;
    return out;
}

// The close box ends the program (a question that comes is answered Yes).
inline bool CloseByCloseBox(gui::TInstaller& app) {
    if (!app.Running()) return true;
    PostMessageW(app.MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
    if (app.WaitExit(8000)) return true;
    if (HWND box = app.FindMessageBox()) app.Answer(box, IDYES);
    return app.WaitExit(8000);
}

// --- Fixtures -------------------------------------------------------------------

// The installation scenarios: the wizard's fixture on the sample media, a target
// whose name has a blank, the desktop isolated and empty of the link, small fonts.
// A fault scenario names itself (Scenario), what must happen (Must) and what did
// (Happened) for its row of the robustness table.
class TRunTest : public wizard::TWizardTest {
protected:
    TRunTest() : TWizardTest(true) {}

    std::string Scenario, Must, Happened;

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(TWizardTest::SetUp());
        ASSERT_TRUE(gui::DirectoryExists(Dist.Folder() + L"DTAfb") && gui::DirectoryExists(Dist.Folder() + L"fonts"))
            << "MEDIA_DIR must hold the sample media";
        Target = Dist.Root() + L"Target Folder\\";
        SetLogPixels(96);
        IsolateDesktop();
        DeleteFileW(DesktopLink().c_str());
    }

    void TearDown() override {
        Record();
        TWizardTest::TearDown();
    }

    std::wstring Media(const std::wstring& rel) const { return Dist.Folder() + rel; }
    std::wstring Dest(const std::wstring& rel) const { return Target + rel; }

    // Prepares the target the way the path page would find it.
    void MakeTarget() const {
        CreateDirectoryW(Target.c_str(), nullptr);
        CreateDirectoryW((Target + L"Settings").c_str(), nullptr);
        CreateDirectoryW((Target + L"DTAfb").c_str(), nullptr);
    }

    // Start page, path page (Target, with the driver warning's checks), components page.
    void ToComponents(bool driver = false) {
        ASSERT_NO_FATAL_FAILURE(ToPathPage());
        ASSERT_NO_FATAL_FAILURE(EnterPath(Target));
        if ((App->CheckState(IDC_CBDRIVERINSTAL) == BST_CHECKED) != driver) {
            ASSERT_TRUE(App->Click(IDC_CBDRIVERINSTAL));
            ASSERT_TRUE(gui::WaitUntil([&] { return (App->CheckState(IDC_CBDRIVERINSTAL) == BST_CHECKED) == driver; }));
        }
    }

    // Presses "Начать установку" and follows the run to its end.
    TOutcome RunInstall(const TOptions& o = {}) {
        TOutcome out;
        EXPECT_TRUE(App->Click(IDC_BTNINSATALL));
        if (o.AfterClick) o.AfterClick();
        out = Follow(*App, o);
        out.ReachedProgress = true;
        return out;
    }

    // A fresh program driven through a whole installation into Target.
    TOutcome InstallFresh(const TOptions& o = {}) {
        gui::TInstaller& app = Launch();
        EXPECT_TRUE(app.Started()) << gui::Narrow(app.StartError());
        return Install(app, Target, o);
    }

    bool ClosesByCloseBox() { return CloseByCloseBox(*App); }

    // The checks of a run that ended at a failure: no mark after it, Выход
    // disabled, the window closes, and nothing of the later steps on disk.
    void ExpectStoppedEarly(const TOutcome& out) {
        EXPECT_FALSE(out.Completed) << out.Summary();
        EXPECT_FALSE(out.TimedOut) << out.Summary();
        EXPECT_EQ(out.Page, IDC_TS_PROGRESSINSTALL);
        EXPECT_FALSE(out.ExitEnabled) << "Выход must stay disabled after a stop";
        EXPECT_FALSE(LevelOf(ReadAll(Dest(L"ReleaseInfo"))) == "010421") << "the release level was recorded after a stop";
        EXPECT_FALSE(gui::FileExists(DesktopLink())) << "the desktop link was made after a stop";
        EXPECT_TRUE(ClosesByCloseBox()) << "the window did not close after the stop";
    }

    // One row of the robustness table, written when the scenario ends.
    void Record() {
        const char* dir = std::getenv("ROBUSTNESS_DIR");
        if (!dir || Scenario.empty()) return;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string suite = info->test_suite_name();
        suite = suite.substr(suite.find('/') + 1);  // a parameterised suite's prefix
        const std::wstring path = gui::ToWindowsPath(std::string(dir) + "/" + suite + ".tsv");
        static std::vector<std::string> started;  // each program writes its suites' rows afresh
        const bool fresh = std::find(started.begin(), started.end(), suite) == started.end();
        if (fresh) started.push_back(suite);
        std::ofstream f(std::filesystem::path(path), (fresh ? std::ios::trunc : std::ios::app) | std::ios::binary);
        auto clean = [](std::string s) {
            for (char& c : s)
                if (c == '\t' || c == '\n' || c == '\r') c = ' ';
            return s;
        };
        f << clean(Scenario) << '\t' << clean(Must) << '\t' << clean(Happened) << '\t'
          << (HasFailure() ? "FAIL" : "pass") << '\n';
    }
};

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

}  // namespace run
