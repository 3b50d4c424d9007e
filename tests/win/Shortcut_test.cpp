#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <thread>

#include "desktop/Shortcut.h"
#include "platform/AppError.h"
#include "platform/WinUtil.h"

namespace {

const wchar_t* const ShellFolders =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// The shell rewrites "Shell Folders" from here whenever it resolves a folder.
const wchar_t* const UserShellFolders =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const wchar_t* const MapGroups = L"Software\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups";

struct TLinkContent {
    std::wstring Path, Arguments, Description, WorkingFolder;
};

// Reads a link file back through the shell-link object.
TLinkContent ReadLink(const std::wstring& file) {
    TLinkContent c;
    IShellLinkW* link = nullptr;
    EXPECT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_IShellLinkW, reinterpret_cast<void**>(&link)));
    if (link == nullptr) return c;
    IPersistFile* persist = nullptr;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist));
    if (persist != nullptr && SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
        wchar_t buf[1024] = {};
        if (SUCCEEDED(link->GetPath(buf, 1024, nullptr, SLGP_RAWPATH))) c.Path = buf;
        buf[0] = 0;
        if (SUCCEEDED(link->GetArguments(buf, 1024))) c.Arguments = buf;
        buf[0] = 0;
        if (SUCCEEDED(link->GetDescription(buf, 1024))) c.Description = buf;
        buf[0] = 0;
        if (SUCCEEDED(link->GetWorkingDirectory(buf, 1024))) c.WorkingFolder = buf;
    } else {
        ADD_FAILURE() << "cannot load the link file";
    }
    if (persist != nullptr) persist->Release();
    link->Release();
    return c;
}

void SetValue(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                              nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    RegCloseKey(k);
}

void SetString(const wchar_t* key, const wchar_t* name, const std::wstring& text,
               DWORD type = REG_SZ) {
    SetValue(key, name, type, text.c_str(), DWORD((text.size() + 1) * sizeof(wchar_t)));
}

void DeleteValue(const wchar_t* key, const wchar_t* name) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
        RegDeleteValueW(k, name);
        RegCloseKey(k);
    }
}

std::wstring ReadString(const wchar_t* key, const wchar_t* name) {
    wchar_t buf[1024] = {};
    DWORD bytes = sizeof(buf) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, buf, &bytes) !=
        ERROR_SUCCESS)
        return L"";
    return buf;
}

// A temporary folder per test, with the current user's shell folders pointed
// into it; the Wine prefix of the run is the test's own, and the values are
// put back anyway.
class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(CoInitialize(nullptr));
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        FRoot = std::wstring(tmp) + L"links" + std::to_wstring(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryW(FRoot.c_str(), nullptr));
        for (const wchar_t* sub : {L"\\Desk", L"\\Quick", L"\\SendTo", L"\\Menu", L"\\Exp",
                                   L"\\Desk\\Sub"})
            ASSERT_TRUE(CreateDirectoryW((FRoot + sub).c_str(), nullptr));
        FSavedDesktop = ReadString(ShellFolders, L"Desktop");
        FSavedSendTo = ReadString(ShellFolders, L"SendTo");
        FSavedStartMenu = ReadString(ShellFolders, L"Start Menu");
        FSavedUserDesktop = ReadString(UserShellFolders, L"Desktop");
        SetString(UserShellFolders, L"Desktop", FRoot + L"\\Desk", REG_EXPAND_SZ);
        SetString(ShellFolders, L"Desktop", FRoot + L"\\Desk");
        SetString(ShellFolders, L"SendTo", FRoot + L"\\SendTo");
        SetString(ShellFolders, L"Start Menu", FRoot + L"\\Menu");
        SetString(MapGroups, L"Quick Launch", FRoot + L"\\Quick");
    }
    void TearDown() override {
        SetString(UserShellFolders, L"Desktop", FSavedUserDesktop, REG_EXPAND_SZ);
        SetString(ShellFolders, L"Desktop", FSavedDesktop);
        SetString(ShellFolders, L"SendTo", FSavedSendTo);
        SetString(ShellFolders, L"Start Menu", FSavedStartMenu);
        SHFILEOPSTRUCTW op{};
        std::wstring from = FRoot + L'\0';
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        SHFileOperationW(&op);
        CoUninitialize();
    }
    std::wstring FRoot, FSavedUserDesktop, FSavedDesktop, FSavedSendTo, FSavedStartMenu;
};

const wchar_t* const Target = L"D:\\Rudeve\\Shell.exe";

}  // namespace

TEST_F(ShortcutTest, EveryLocatedFolderGetsALinkThatReadsBack) {
    struct { uint8_t code; const wchar_t* folder; } cases[] = {
        {Desktop, L"\\Desk"}, {QuickLaunch, L"\\Quick"}, {SendTo, L"\\SendTo"},
        {StartMenu, L"\\Menu"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.code));
        std::wstring path = CreateShortcut(Target, c.code, L"", L"E:\\Work", L"/a \"b c\"",
                                           L"Описание", L"Велитор - Vudeze");
        EXPECT_EQ(path, FRoot + c.folder + L"\\Велитор - Vudeze.lnk");
        ASSERT_TRUE(FileExists(path));
        TLinkContent link = ReadLink(path);
        EXPECT_EQ(link.Path, Target);
        EXPECT_EQ(link.Arguments, L"/a \"b c\"");
        EXPECT_EQ(link.Description, L"Описание");
        EXPECT_EQ(link.WorkingFolder, L"E:\\Work");
    }
}

TEST_F(ShortcutTest, NamingAndWorkingFolderDefaults) {
    // Empty LinkName: the target's name; empty WorkingFolder: the target's folder
    // with its trailing backslash.
    std::wstring path = CreateShortcut(Target, Desktop, L"", L"", L"", L"", L"");
    EXPECT_EQ(path, FRoot + L"\\Desk\\Shell.lnk");
    ASSERT_TRUE(FileExists(path));
    EXPECT_EQ(ReadLink(path).WorkingFolder, L"D:\\Rudeve\\");
    EXPECT_EQ(ReadLink(path).Arguments, L"");

    // The text after the last dot goes; a path keeps only its last component.
    path = CreateShortcut(Target, Desktop, L"", L"", L"", L"", L"Report 2.1");
    EXPECT_EQ(path, FRoot + L"\\Desk\\Report 2.lnk");
    EXPECT_TRUE(FileExists(path));
    path = CreateShortcut(Target, Desktop, L"", L"", L"", L"", L"C:\\Elsewhere\\Named");
    EXPECT_EQ(path, FRoot + L"\\Desk\\Named.lnk");
    EXPECT_TRUE(FileExists(path));
}

TEST_F(ShortcutTest, SubFolderIsALevelBelowTheLocatedFolderAndIsNeverCreated) {
    std::wstring path = CreateShortcut(Target, Desktop, L"Sub", L"", L"", L"", L"A");
    EXPECT_EQ(path, FRoot + L"\\Desk\\Sub\\A.lnk");
    EXPECT_TRUE(FileExists(path));

    // A missing sub-folder: the path comes back, the save fails silently.
    path = CreateShortcut(Target, SendTo, L"Missing", L"", L"", L"", L"A");
    EXPECT_EQ(path, FRoot + L"\\SendTo\\Missing\\A.lnk");
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(DirectoryExists(FRoot + L"\\SendTo\\Missing"));
}

TEST_F(ShortcutTest, ExplicitFolderIsSubFolderItself) {
    std::wstring path = CreateShortcut(Target, Explicit, FRoot + L"\\Exp", L"", L"", L"D", L"X");
    EXPECT_EQ(path, FRoot + L"\\Exp\\X.lnk");
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ReadLink(path).Description, L"D");

    EXPECT_EQ(CreateShortcut(Target, Explicit, L"", L"", L"", L"", L"X"), L"");
}

TEST_F(ShortcutTest, CodesAboveExplicitAndMissingValuesCreateNothing) {
    EXPECT_EQ(CreateShortcut(Target, 5, FRoot + L"\\Exp", L"", L"", L"", L"Y"), L"");
    EXPECT_EQ(CreateShortcut(Target, 255, FRoot + L"\\Exp", L"", L"", L"", L"Y"), L"");
    EXPECT_FALSE(FileExists(FRoot + L"\\Exp\\Y.lnk"));

    DeleteValue(MapGroups, L"Quick Launch");
    EXPECT_EQ(CreateShortcut(Target, QuickLaunch, L"", L"", L"", L"", L"Y"), L"");
    EXPECT_FALSE(FileExists(FRoot + L"\\Quick\\Y.lnk"));
}

TEST_F(ShortcutTest, AFolderTheLegacyKeyLacksComesFromTheShell) {
    // A profile the shell has never shown (SYSTEM's) has no "Shell Folders" values.
    wchar_t shell[MAX_PATH] = {};
    ASSERT_HRESULT_SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_SENDTO, nullptr, SHGFP_TYPE_CURRENT, shell));
    SetString(ShellFolders, L"SendTo", L"");
    EXPECT_EQ(ShortcutFolderPath(SendTo, L""), shell);
    DeleteValue(ShellFolders, L"SendTo");
    EXPECT_EQ(ShortcutFolderPath(SendTo, L""), shell);
    ASSERT_HRESULT_SUCCEEDED(
        SHGetFolderPathW(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, shell));
    EXPECT_EQ(CommonDesktopFolder(), shell);
}

TEST_F(ShortcutTest, AFailedSaveIsToldToTheCallerThatAsks) {
    long saved = 0;
    const std::wstring path = CreateShortcut(Target, Explicit, FRoot + L"\\Missing", L"", L"", L"", L"X", &saved);
    EXPECT_EQ(path, FRoot + L"\\Missing\\X.lnk");
    EXPECT_LT(saved, 0);
    EXPECT_FALSE(FileExists(path));
    CreateShortcut(Target, Explicit, FRoot + L"\\Exp", L"", L"", L"", L"X", &saved);
    EXPECT_EQ(saved, 0);
}

TEST_F(ShortcutTest, MissingKeysReadAsNoFolderAndTheParentKeyIsCreated) {
    const wchar_t* const grpConv = L"Software\\Microsoft\\Windows\\CurrentVersion\\GrpConv";
    RegDeleteTreeW(HKEY_CURRENT_USER, grpConv);
    EXPECT_EQ(ShortcutFolderPath(QuickLaunch, L""), L"");
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, grpConv, 0, KEY_READ, &k), ERROR_SUCCESS);
    if (k) RegCloseKey(k);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, MapGroups, 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
}

TEST_F(ShortcutTest, FolderValuesAreTakenAsStored) {
    // REG_EXPAND_SZ is not expanded; the text ends at its first zero character;
    // no backslash is added or removed.
    SetString(ShellFolders, L"Start Menu", L"%SystemRoot%\\Menu", REG_EXPAND_SZ);
    EXPECT_EQ(ShortcutFolderPath(StartMenu, L""), L"%SystemRoot%\\Menu");
    const wchar_t withZero[] = L"C:\\One\0C:\\Two";
    SetValue(ShellFolders, L"Start Menu", REG_SZ, withZero, sizeof(withZero));
    EXPECT_EQ(ShortcutFolderPath(StartMenu, L""), L"C:\\One");
    SetString(ShellFolders, L"Start Menu", L"C:\\Trailing\\");
    EXPECT_EQ(ShortcutFolderPath(StartMenu, L""), L"C:\\Trailing\\");
}

TEST_F(ShortcutTest, NonStringFolderValueRaisesWithTheValueName) {
    DWORD number = 7;
    SetValue(ShellFolders, L"Desktop", REG_DWORD, &number, sizeof(number));
    try {
        CreateShortcut(Target, Desktop, L"", L"", L"", L"", L"Z");
        ADD_FAILURE() << "no error";
    } catch (const EAppError& e) {
        EXPECT_EQ(e.Message(), L"Invalid data type for 'Desktop'");
    }
}

TEST_F(ShortcutTest, ASecondLinkOfTheSameNameReplacesTheFirst) {
    std::wstring first = CreateShortcut(Target, Desktop, L"", L"", L"", L"first", L"Same");
    std::wstring second =
        CreateShortcut(L"D:\\Other\\Run.exe", Desktop, L"", L"", L"", L"second", L"Same");
    EXPECT_EQ(first, second);
    TLinkContent link = ReadLink(second);
    EXPECT_EQ(link.Description, L"second");
    EXPECT_EQ(link.Path, L"D:\\Other\\Run.exe");
    EXPECT_EQ(link.WorkingFolder, L"D:\\Other\\");
}

TEST(ShortcutWithoutCom, CreationErrorCarriesTheSystemMessageAndClassId) {
    // A thread without COM: the shell-link object cannot be made.
    std::wstring message;
    std::thread worker([&message] {
        try {
            CreateShortcut(Target, Desktop, L"", L"", L"", L"", L"");
        } catch (const EAppError& e) {
            message = e.Message();
        }
    });
    worker.join();
    const std::wstring suffix = L", ClassID: {00021401-0000-0000-C000-000000000046}";
    ASSERT_GT(message.size(), suffix.size());
    EXPECT_EQ(message.substr(message.size() - suffix.size()), suffix);
    EXPECT_EQ(message.substr(0, message.size() - suffix.size()),
              SysErrorMessage(static_cast<DWORD>(CO_E_NOTINITIALIZED)));
}
