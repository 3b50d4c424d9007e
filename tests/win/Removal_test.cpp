// The Programs and Features entry through stand-in root keys, and the removal
// procedure on a folder whose record was edited by hand.
#include <gtest/gtest.h>

#include <objbase.h>

#include "RecordingLog.h"
#include "TestFolder.h"
#include "install/InstallRecord.h"
#include "install/RemovalProcedure.h"
#include "install/UninstallEntry.h"

namespace {

const wchar_t* const TestRoot = L"Software\\VelitorRemovalTest";

struct TRemoval : ::testing::Test {
    TRegKey Machine, User;

    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, TestRoot);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(TestRoot) + L"\\Machine").c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, Machine.Out(), nullptr), ERROR_SUCCESS);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(TestRoot) + L"\\User").c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, User.Out(), nullptr), ERROR_SUCCESS);
    }
    void TearDown() override {
        Machine.Close();
        User.Close();
        RegDeleteTreeW(HKEY_CURRENT_USER, TestRoot);
    }
};

TUninstallEntry Entry(const std::wstring& folder, const std::wstring& version) {
    TUninstallEntry e;
    e.DisplayName = L"Велитор - Vudeze";
    e.DisplayVersion = version;
    e.Publisher = L"Rudeve";
    e.InstallLocation = folder;
    e.DisplayIcon = folder + L"Shell.exe";
    e.InstallDate = L"20261209";
    e.EstimatedSize = 12345;
    e.UninstallString = UninstallCommand(folder, false);
    e.QuietUninstallString = UninstallCommand(folder, true);
    return e;
}

void ExpectSame(const TUninstallEntry& a, const TUninstallEntry& b) {
    EXPECT_EQ(a.DisplayName, b.DisplayName);
    EXPECT_EQ(a.DisplayVersion, b.DisplayVersion);
    EXPECT_EQ(a.Publisher, b.Publisher);
    EXPECT_EQ(a.InstallLocation, b.InstallLocation);
    EXPECT_EQ(a.DisplayIcon, b.DisplayIcon);
    EXPECT_EQ(a.InstallDate, b.InstallDate);
    EXPECT_EQ(a.EstimatedSize, b.EstimatedSize);
    EXPECT_EQ(a.UninstallString, b.UninstallString);
    EXPECT_EQ(a.QuietUninstallString, b.QuietUninstallString);
    EXPECT_EQ(a.NoModify, 1u);
    EXPECT_EQ(a.NoRepair, 1u);
}

TRecordedFile Recorded(const std::wstring& folder, const std::wstring& relative) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    GetFileAttributesExW((folder + relative).c_str(), GetFileExInfoStandard, &d);
    return {relative, (static_cast<std::uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow,
            (static_cast<std::uint64_t>(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime};
}

}  // namespace

TEST_F(TRemoval, EntryGoesToTheMachineElseTheUserAndOnlyItsOwnFolderRemovesIt) {
    const std::wstring folder = L"C:\\Rudeve\\";
    std::wstring error;
    ASSERT_EQ(WriteUninstallEntry(Machine.Get(), User.Get(), Entry(folder, L"150321"), error), TEntryPlace::Machine);
    // A later run over the same folder: the version follows.
    ASSERT_EQ(WriteUninstallEntry(Machine.Get(), User.Get(), Entry(folder, L"010421"), error), TEntryPlace::Machine);
    TUninstallEntry read;
    ASSERT_TRUE(ReadUninstallEntry(Machine.Get(), read));
    ExpectSame(read, Entry(folder, L"010421"));

    // The machine's keys refuse (a standard user's token): the entry goes to the
    // user. Wine grants a read-only handle every write, so the stand-in refuses
    // for another reason that Windows shares: a volatile key has no lasting children.
    TRegKey readOnly;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(TestRoot) + L"\\Locked").c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, readOnly.Out(), nullptr), ERROR_SUCCESS);
    ASSERT_EQ(WriteUninstallEntry(readOnly.Get(), User.Get(), Entry(folder, L"010521"), error), TEntryPlace::User);
    EXPECT_FALSE(ReadUninstallEntry(readOnly.Get(), read));
    ASSERT_TRUE(ReadUninstallEntry(User.Get(), read));
    EXPECT_EQ(read.DisplayVersion, L"010521");
    // With the rights back, one entry is left: the machine's.
    ASSERT_EQ(WriteUninstallEntry(Machine.Get(), User.Get(), Entry(folder, L"010521"), error), TEntryPlace::Machine);
    EXPECT_FALSE(ReadUninstallEntry(User.Get(), read));

    // Neither root writable: no entry, and the reason.
    EXPECT_EQ(WriteUninstallEntry(readOnly.Get(), readOnly.Get(), Entry(folder, L"010521"), error), TEntryPlace::None);
    EXPECT_FALSE(error.empty());

    // An uninstaller of another folder leaves the entry of a later installation elsewhere.
    EXPECT_EQ(RemoveUninstallEntry(Machine.Get(), L"D:\\Rudeve\\", error), TEntryRemoval::OtherFolder);
    EXPECT_TRUE(ReadUninstallEntry(Machine.Get(), read));
    EXPECT_EQ(RemoveUninstallEntry(Machine.Get(), L"c:\\rudeve\\", error), TEntryRemoval::Removed);
    EXPECT_FALSE(ReadUninstallEntry(Machine.Get(), read));
    EXPECT_EQ(RemoveUninstallEntry(Machine.Get(), folder, error), TEntryRemoval::Missing);
}

TEST_F(TRemoval, MarkerGoesFirstAndAShortAliasInTheRecordIsNotFollowed) {
    const HRESULT com = CoInitialize(nullptr);
    TTestFolder f;
    const std::wstring folder = f.Path();
    CreateDirectoryW((folder + L"udf").c_str(), nullptr);
    PutFile(folder + L"udf\\fbudf.dll", "engine");
    PutFile(folder + L"Verdict.Dll", "library");
    SetFileAttributesW((folder + L"Verdict.Dll").c_str(), FILE_ATTRIBUTE_READONLY);
    PutFile(folder + UninstallerName, "the uninstaller");
    PutFile(folder + InstalledMarkerFile, "installed");

    // A hand-edited record names the uninstaller by its short 8.3 name.
    wchar_t alias[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW((folder + UninstallerName).c_str(), alias, MAX_PATH), 0u);
    const std::wstring shortName = std::wstring(alias).substr(std::wstring(alias).find_last_of(L'\\') + 1);
    ASSERT_NE(shortName, UninstallerName);
    TInstallRecord record;
    record.Files = {Recorded(folder, L"udf\\fbudf.dll"), Recorded(folder, L"Verdict.Dll"), Recorded(folder, L"x.dll")};
    record.Files.push_back(Recorded(folder, UninstallerName));
    record.Files.back().Path = shortName;
    PutFile(folder + InstallRecordName, FormatInstallRecord(record));

    {
        // The marker held open: nothing is removed, so the folder still reads as installed and whole.
        TKernelHandle held(CreateFileW((folder + InstalledMarkerFile).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.Valid());
        TRecordingLog log;
        EXPECT_EQ(RemoveInstallation(log, folder, Machine.Get(), User.Get()), TRemovalResult::Incomplete);
        EXPECT_EQ(GetFile(folder + L"udf\\fbudf.dll"), "engine");
    }

    TRecordingLog log;
    EXPECT_EQ(RemoveInstallation(log, folder, Machine.Get(), User.Get()), TRemovalResult::Complete);
    EXPECT_EQ(GetFile(folder + InstalledMarkerFile), "<missing>");
    EXPECT_EQ(GetFile(folder + L"Verdict.Dll"), "<missing>");  // read-only, yet the installation's
    EXPECT_FALSE(DirectoryExists(folder + L"udf"));
    EXPECT_EQ(GetFile(folder + UninstallerName), "the uninstaller");
    const auto has = [&](const std::wstring& line) {
        return std::find(log.Lines.begin(), log.Lines.end(), line) != log.Lines.end();
    };
    EXPECT_TRUE(has(L"Файл x.dll не найден"));
    EXPECT_TRUE(has(L"Файл " + shortName + L" лежит вне каталога программ комплекса: не удаляется"));
    EXPECT_EQ(log.Lines.back(), L"Удаление завершено");

    // The record keeps nothing for a second run, which finds nothing to do.
    TInstallRecord left;
    std::size_t refused = 0;
    ASSERT_TRUE(ParseInstallRecord(GetFile(folder + InstallRecordName), left, refused));
    EXPECT_TRUE(left.Files.empty());
    if (SUCCEEDED(com)) CoUninitialize();
}
