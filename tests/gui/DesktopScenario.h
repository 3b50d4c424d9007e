// Shared steps of the desktop-integration scenarios: a whole installation from
// the sample media up to its end, and read-backs of what it left in the Wine
// prefix of the run (fonts folder, fonts key, desktop link).
#pragma once
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "GuiDriver.h"
#include "WizardFixture.h"

namespace scenario {

inline const wchar_t* const FontFiles[] = {L"ARIAL.TTF", L"ARIALN.TTF", L"COUR.TTF",
                                           L"MICROSS.TTF", L"TAHOMA.TTF", L"TIMES.TTF",
                                           L"verdana.TTF"};
inline const wchar_t* const FontsKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
inline const wchar_t* const FinalQuestionText = L"Установка завершена. Выйти из программы установки?";
inline const wchar_t* const RestartQuestion =
    L"Изменения в настройки внесены, для того чтобы они\r\n"
    L"вступили в силу, требуется перзагрузить операционную систему.\r\n"
    L"Выполнить перезагрузку сейчас?";

inline std::string Bytes(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return "";
    std::string data(GetFileSize(f, nullptr), '\0');
    DWORD read = 0;
    ReadFile(f, data.data(), DWORD(data.size()), &read, nullptr);
    CloseHandle(f);
    data.resize(read);
    return data;
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
    const std::string data = Bytes(mediaFont);
    if (data.empty()) return L"<missing>";
    for (const auto& [stem, name] : known)
        if (Bytes(std::wstring(L"Z:\\usr\\share\\fonts\\truetype\\liberation\\") + stem + L".ttf") ==
            data)
            return name;
    return L"<not a fonts-liberation file>";
}

inline std::wstring MachineString(const wchar_t* key, const std::wstring& name) {
    wchar_t buf[1024] = {};
    DWORD bytes = sizeof(buf) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name.c_str(), RRF_RT_REG_SZ, nullptr, buf, &bytes) !=
        ERROR_SUCCESS)
        return L"<no value>";
    return buf;
}

inline std::wstring DesktopFolder() {
    wchar_t buf[MAX_PATH] = {};
    DWORD bytes = sizeof(buf) - sizeof(wchar_t);
    RegGetValueW(HKEY_CURRENT_USER,
                 L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                 L"Desktop", RRF_RT_REG_SZ, nullptr, buf, &bytes);
    return buf;
}

inline std::wstring FontsFolder() {
    wchar_t buf[MAX_PATH] = {};
    GetWindowsDirectoryW(buf, MAX_PATH);
    return std::wstring(buf) + L"\\fonts\\";
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

enum class TEnd { ChangeFontPage, FinalQuestion, Other };

// From the start page through a whole installation into target (driver stage
// off), until the run ends on the large-font page or with the final question.
// *box receives the final question when that is how it ended.
inline TEnd Install(gui::TInstaller& app, const std::wstring& target, HWND* box) {
    *box = nullptr;
    if (!app.WaitMainWindow() || !app.WaitPage(IDC_TS_START)) return TEnd::Other;
    app.Click(IDC_BTNSTARTNEXT);
    if (!app.WaitPage(IDC_TS_INPUTPATH)) return TEnd::Other;
    app.Type(IDC_EPATH, target);
    app.Click(IDC_BTNINPUTPATHNEXT);
    if (HWND warning = app.WaitMessageWindow()) {
        app.PressMessageWindowOk(warning);
        app.WaitMessageWindowGone();
    }
    if (!app.WaitPage(IDC_TS_INPUTCOMPONENTS)) return TEnd::Other;
    if (app.CheckState(IDC_CBDRIVERINSTAL) == BST_CHECKED) app.Click(IDC_CBDRIVERINSTAL);
    if (!gui::WaitUntil([&] { return app.CheckState(IDC_CBDRIVERINSTAL) == BST_UNCHECKED; }))
        return TEnd::Other;
    app.Click(IDC_BTNINSATALL);
    TEnd end = TEnd::Other;
    gui::WaitUntil(
        [&] {
            if (app.VisiblePage() == IDC_TS_CHANGEFONTSIZE) {
                end = TEnd::ChangeFontPage;
                return true;
            }
            if (HWND b = app.FindMessageBox()) {
                *box = b;
                end = TEnd::FinalQuestion;
                return true;
            }
            return !app.Running();
        },
        10 * 60 * 1000);
    return end;
}

// Lines of the font step, in order.
inline std::vector<std::wstring> FontLines(const std::vector<std::wstring>& lines) {
    std::vector<std::wstring> fonts;
    for (const auto& line : lines)
        if (line.rfind(L"Шрифт <", 0) == 0) fonts.push_back(line);
    return fonts;
}

// The seven fonts are in the prefix's fonts folder, registered for the machine
// with the bare file name, and each has its line (with its Latin "c").
inline void ExpectFontsInstalled(const std::wstring& media, const std::vector<std::wstring>& lines) {
    std::vector<std::wstring> expectedLines;
    std::map<std::wstring, std::wstring> expectedValues;
    for (const wchar_t* file : FontFiles) {
        const std::wstring name = LiberationName(media + L"fonts\\" + file);
        expectedLines.push_back(L"Шрифт <" + name + L"> у\x0063тановлен");
        expectedValues[name + L" (TrueType)"] = file;  // a later font of the same name wins
        EXPECT_EQ(Bytes(FontsFolder() + file), Bytes(media + L"fonts\\" + file)) << gui::Narrow(file);
    }
    EXPECT_EQ(FontLines(lines), expectedLines);
    for (const auto& [value, data] : expectedValues)
        EXPECT_EQ(MachineString(FontsKey, value), data) << gui::Narrow(value);
}

// The desktop link points at the main program in the target folder.
// The desktop all users share, where unattended runs put the link.
inline std::wstring CommonDesktop() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path))) return L"";
    return path;
}

inline void ExpectDesktopLink(const std::wstring& target, const std::wstring& desktop = DesktopFolder()) {
    const std::wstring file = desktop + L"\\Велитор - Vudeze.lnk";
    ASSERT_TRUE(gui::FileExists(file)) << gui::Narrow(file);
    const TLink link = ReadLink(file);
    ASSERT_TRUE(link.Loaded);
    EXPECT_EQ(link.Path, target + L"Shell.exe");
    EXPECT_EQ(link.WorkingFolder, target);
    EXPECT_EQ(link.Arguments, L"");
    EXPECT_EQ(link.Description,
              L"Комплекс суточного мониторирования электрокардиограмм \"Велитор - Vudeze\"");
}

// The desktop scenarios' fixture: the wizard's, on the sample media with its
// fonts, the target beside the distribution folder.
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

class TDesktopTest : public wizard::TWizardTest {
protected:
    TDesktopTest() : TWizardTest(true) {}
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(TWizardTest::SetUp());
        ASSERT_TRUE(gui::DirectoryExists(Dist.Folder() + L"fonts")) << "sample media is needed";
        Target = Dist.Root() + L"Target\\";
    }
};

}  // namespace scenario
