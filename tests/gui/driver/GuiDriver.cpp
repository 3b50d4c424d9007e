#include "GuiDriver.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace gui {

namespace {

// Every message to the program is sent with a time limit, so a hung program
// fails the test instead of hanging it.
constexpr UINT kSendTimeoutMs = 5000;

bool SendTimed(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kSendTimeoutMs, &r))
        return false;
    if (result) *result = r;
    return true;
}

struct TFindById {
    int id;
    HWND found;
};

BOOL CALLBACK FindByIdProc(HWND window, LPARAM param) {
    auto* f = reinterpret_cast<TFindById*>(param);
    if (GetDlgCtrlID(window) == f->id) {
        f->found = window;
        return FALSE;
    }
    return TRUE;
}

struct TFindByClass {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindByClassProc(HWND window, LPARAM param) {
    auto* f = reinterpret_cast<TFindByClass*>(param);
    if (ClassNameOf(window) == f->className) {
        f->found = window;
        return FALSE;
    }
    return TRUE;
}

struct TTopLevels {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK TopLevelProc(HWND window, LPARAM param) {
    auto* t = reinterpret_cast<TTopLevels*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == t->pid && IsWindowVisible(window)) t->windows.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND window, LPARAM param) {
    auto* text = reinterpret_cast<std::wstring*>(param);
    if (_wcsicmp(ClassNameOf(window).c_str(), L"Static") != 0 || !IsWindowVisible(window))
        return TRUE;
    std::wstring t = WindowText(window);
    if (t.empty()) return TRUE;
    if (!text->empty()) text->push_back(L'\n');
    text->append(t);
    return TRUE;
}

std::wstring QuoteArg(const std::wstring& arg) {
    return L"\"" + arg + L"\"";
}

}  // namespace

bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (pred()) return true;
        if (GetTickCount64() >= end) return pred();
        Sleep(25);
    }
}

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring ToWindowsPath(const std::string& path) {
    std::wstring w = Widen(path);
    if (w.empty() || w[0] != L'/') return w;
    for (auto& c : w)
        if (c == L'/') c = L'\\';
    return L"Z:" + w;
}

std::wstring EnvPath(const char* name) {
    const char* value = std::getenv(name);
    return value ? ToWindowsPath(value) : std::wstring();
}

std::string Visible(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\r') out += L"\\r";
        else if (c == L'\n') out += L"\\n";
        else out += c;
    }
    return Narrow(out);
}

void PrepareWine() {
    static bool done = false;
    if (done) return;
    done = true;
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return;
    auto setString = [](const wchar_t* key, const wchar_t* name, const std::wstring& value) {
        RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    };
    // The Windows fonts the pages ask for, by their metric-compatible stand-ins
    // (fonts-liberation); without them Wine falls back to a wider face and the
    // memo lines wrap where they do not on Windows.
    const wchar_t* replacements = L"Software\\Wine\\Fonts\\Replacements";
    setString(replacements, L"Times New Roman", L"Liberation Serif");
    setString(replacements, L"Arial", L"Liberation Sans");
    setString(replacements, L"Courier New", L"Liberation Mono");
    const char* managed = std::getenv("GUI_MANAGED_WINDOWS");
    if (!managed || std::string(managed) != "1")
        setString(L"Software\\Wine\\X11 Driver", L"Managed", L"N");
}

std::wstring ClassNameOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring WindowText(HWND window) {
    if (!window) return {};
    DWORD_PTR len = 0;
    if (!SendTimed(window, WM_GETTEXTLENGTH, 0, 0, &len)) return {};
    std::wstring text(len + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendTimed(window, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(text.data()), &got))
        return {};
    text.resize(got <= len ? got : len);
    return text;
}

HWND FindDescendant(HWND root, int id) {
    if (!root) return nullptr;
    TFindById f{id, nullptr};
    EnumChildWindows(root, FindByIdProc, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

HWND FindChildByClass(HWND root, const wchar_t* className) {
    if (!root) return nullptr;
    TFindByClass f{className, nullptr};
    EnumChildWindows(root, FindByClassProc, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

bool Click(HWND button) {
    if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button)) return false;
    HWND top = GetAncestor(button, GA_ROOT);
    if (top && !IsWindowEnabled(top)) return false;
    return PostMessageW(button, BM_CLICK, 0, 0) != 0;
}

bool SetText(HWND edit, const std::wstring& text) {
    if (!edit) return false;
    DWORD_PTR r = 0;
    return SendTimed(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &r) && r;
}

int CheckState(HWND checkBox) {
    DWORD_PTR r = 0;
    if (!checkBox || !SendTimed(checkBox, BM_GETCHECK, 0, 0, &r)) return -1;
    return static_cast<int>(r);
}

constexpr size_t kListLineSpare = 4096;

std::vector<std::wstring> ListItems(HWND listBox) {
    std::vector<std::wstring> items;
    DWORD_PTR count = 0;
    if (!listBox || !SendTimed(listBox, LB_GETCOUNT, 0, 0, &count)) return items;
    for (WPARAM i = 0; i < count; ++i) {
        DWORD_PTR len = 0;
        if (!SendTimed(listBox, LB_GETTEXTLEN, i, 0, &len) || static_cast<LRESULT>(len) == LB_ERR)
            break;
        // LB_GETTEXT has no buffer size, and the running program may replace the
        // line with a longer one (its mark) between the two messages; the spare
        // room keeps such a line from running past the buffer.
        const size_t room = len + 1 + kListLineSpare;
        std::wstring line(room, L'\0');
        DWORD_PTR got = 0;
        if (!SendTimed(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()), &got) ||
            static_cast<LRESULT>(got) == LB_ERR)
            break;
        line.resize(got < room ? got : room - 1);
        items.push_back(line);
    }
    return items;
}

std::wstring DialogText(HWND dialog) {
    std::wstring text;
    if (dialog) EnumChildWindows(dialog, CollectStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

bool IsFolderBrowser(HWND dialog) {
    return FindChildByClass(dialog, L"SysTreeView32") != nullptr;
}

bool PressDialogButton(HWND dialog, int buttonId) {
    HWND button = dialog ? GetDlgItem(dialog, buttonId) : nullptr;
    if (!button || !IsWindowVisible(button)) return false;
    return PostMessageW(button, BM_CLICK, 0, 0) != 0;
}

bool SaveScreenshotAs(HWND window, const std::wstring& name) {
    std::wstring dir = EnvPath("SCREENSHOT_DIR");
    if (dir.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (dir.back() != L'\\') dir += L'\\';
    return SaveScreenshot(window, dir + name + L".png");
}

// --- TInstaller ------------------------------------------------------------------

TInstaller::TInstaller(const std::wstring& exe, const std::wstring& currentFolder,
                       const std::wstring& arguments) {
    PrepareWine();
    std::wstring cmd = QuoteArg(exe);
    if (!arguments.empty()) cmd += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // Under Wine a process start now and then fails with ERROR_INTERNAL_ERROR when the
    // machine is loaded (the new process dies while Wine sets it up); the program
    // itself never ran then, so a second start is a fair one.
    BOOL started = FALSE;
    DWORD error = 0;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        started = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 currentFolder.empty() ? nullptr : currentFolder.c_str(), &si, &pi);
        error = started ? 0 : GetLastError();
        if (!started && error != ERROR_INTERNAL_ERROR) break;
        if (!started) Sleep(500);
    }
    if (!started) {
        FStartError = L"CreateProcessW failed for " + exe + L", error " + std::to_wstring(error);
        return;
    }
    CloseHandle(pi.hThread);
    FProcess = pi.hProcess;
    FPid = pi.dwProcessId;
}

TInstaller::~TInstaller() {
    Kill();
    if (FProcess) CloseHandle(FProcess);
}

bool TInstaller::WaitMainWindow(DWORD timeoutMs) {
    if (!FProcess) return false;
    WaitUntil([&] {
        FMainWindow = FindTopLevel(L"TFMain");
        return FMainWindow != nullptr || !Running();
    }, timeoutMs);
    return FMainWindow != nullptr;
}

bool TInstaller::Responsive(DWORD timeoutMs) const {
    DWORD_PTR r = 0;
    return FMainWindow && IsWindow(FMainWindow) &&
           SendMessageTimeoutW(FMainWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &r) != 0;
}

HWND TInstaller::Control(int id) const {
    return FindDescendant(FMainWindow, id);
}

std::wstring TInstaller::Text(int id) const {
    return WindowText(Control(id));
}

bool TInstaller::Click(int id) const {
    return gui::Click(Control(id));
}

bool TInstaller::Type(int id, const std::wstring& text) const {
    return SetText(Control(id), text);
}

int TInstaller::CheckState(int id) const {
    return gui::CheckState(Control(id));
}

bool TInstaller::Visible(int id) const {
    HWND w = Control(id);
    return w && IsWindowVisible(w);
}

bool TInstaller::Enabled(int id) const {
    HWND w = Control(id);
    return w && IsWindowEnabled(w);
}

int TInstaller::VisiblePage() const {
    static const int pages[] = {IDC_TS_START,          IDC_TS_INPUTPATH, IDC_TS_INPUTCOMPONENTS,
                                IDC_TS_PROGRESSINSTALL, IDC_TS_CANCEL,    IDC_TS_CHANGEFONTSIZE};
    int shown = 0;
    for (int id : pages) {
        if (Visible(id)) {
            if (shown) return 0;
            shown = id;
        }
    }
    return shown;
}

bool TInstaller::WaitPage(int pageId, DWORD timeoutMs) const {
    return WaitUntil([&] { return VisiblePage() == pageId; }, timeoutMs);
}

std::vector<std::wstring> TInstaller::LogLines() const {
    return ListItems(Control(IDC_LOGLIST));
}

HWND TInstaller::FocusedControl() const {
    if (!FMainWindow) return nullptr;
    DWORD thread = GetWindowThreadProcessId(FMainWindow, nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread, &info)) return nullptr;
    return info.hwndFocus;
}

std::vector<HWND> TInstaller::TopLevelWindows() const {
    TTopLevels t{FPid, {}};
    if (FProcess) EnumWindows(TopLevelProc, reinterpret_cast<LPARAM>(&t));
    return t.windows;
}

HWND TInstaller::FindTopLevel(const wchar_t* className) const {
    for (HWND w : TopLevelWindows())
        if (ClassNameOf(w) == className) return w;
    return nullptr;
}

HWND TInstaller::FindMessageBox() const {
    for (HWND w : TopLevelWindows())
        if (ClassNameOf(w) == L"#32770" && !IsFolderBrowser(w)) return w;
    return nullptr;
}

HWND TInstaller::WaitMessageBox(DWORD timeoutMs) const {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindMessageBox()) != nullptr || !Running(); }, timeoutMs);
    return box;
}

bool TInstaller::WaitMessageBoxGone(DWORD timeoutMs) const {
    return WaitUntil([&] { return FindMessageBox() == nullptr; }, timeoutMs);
}

HWND TInstaller::WaitFolderBrowser(DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND w : TopLevelWindows())
            if (ClassNameOf(w) == L"#32770" && IsFolderBrowser(w)) found = w;
        return found != nullptr || !Running();
    }, timeoutMs);
    return found;
}

HWND TInstaller::FindMessageWindow() const {
    return FindTopLevel(L"TFMessageform");
}

HWND TInstaller::WaitMessageWindow(DWORD timeoutMs) const {
    HWND w = nullptr;
    WaitUntil([&] { return (w = FindMessageWindow()) != nullptr || !Running(); }, timeoutMs);
    return w;
}

std::wstring TInstaller::MessageWindowText(HWND window) {
    return WindowText(FindDescendant(window, IDC_LBLMESSAGE));
}

bool TInstaller::PressMessageWindowOk(HWND window) const {
    return gui::Click(FindDescendant(window, IDC_BTNOK));
}

bool TInstaller::WaitMessageWindowGone(DWORD timeoutMs) const {
    return WaitUntil([&] { return FindMessageWindow() == nullptr; }, timeoutMs);
}

bool TInstaller::Running() const {
    return FProcess && WaitForSingleObject(FProcess, 0) == WAIT_TIMEOUT;
}

bool TInstaller::WaitExit(DWORD timeoutMs) const {
    return FProcess && WaitForSingleObject(FProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD TInstaller::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (FProcess) GetExitCodeProcess(FProcess, &code);
    return code;
}

void TInstaller::Kill() {
    if (Running()) {
        TerminateProcess(FProcess, 1);
        WaitForSingleObject(FProcess, 5000);
    }
}

// --- TDistribution ----------------------------------------------------------------

bool DirectoryExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

TDistribution::TDistribution(bool withMedia) {
    namespace fs = std::filesystem;
    std::wstring exe = EnvPath("INSTALL_EXE");
    if (exe.empty() || !FileExists(exe)) return;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        FRoot = std::wstring(temp) + L"gui" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(++counter) + L"\\";
        if (CreateDirectoryW(FRoot.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return;
    }
    FFolder = FRoot + L"media\\";
    std::error_code ec;
    std::wstring media = EnvPath("MEDIA_DIR");
    if (withMedia && !media.empty() && DirectoryExists(media)) {
        fs::copy(media, FFolder, fs::copy_options::recursive, ec);
        if (ec) return;
    } else if (!CreateDirectoryW(FFolder.c_str(), nullptr)) {
        return;
    }
    FReady = CopyFileW(exe.c_str(), InstallExe().c_str(), FALSE) != 0;
}

TDistribution::~TDistribution() {
    if (FRoot.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(FRoot, ec);
}

std::wstring TDistribution::MakeScratchFolder(const std::wstring& name) const {
    std::wstring path = FRoot + name + L"\\";
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

}  // namespace gui
