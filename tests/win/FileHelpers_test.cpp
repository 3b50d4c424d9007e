#include <gtest/gtest.h>

#include <algorithm>

#include "install/FileHelpers.h"
#include "platform/AppError.h"
#include "platform/WinUtil.h"
#include "tests/win/EngineTestFiles.h"

namespace {

FILETIME LastWrite(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d);
    return d.ftLastWriteTime;
}

void SetLastWrite(const std::wstring& path, const SYSTEMTIME& localTime) {
    FILETIME local{}, utc{};
    SystemTimeToFileTime(&localTime, &local);
    LocalFileTimeToFileTime(&local, &utc);
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &utc);
    CloseHandle(h);
}

SYSTEMTIME LocalTimeOf(const FILETIME& utc) {
    FILETIME local{};
    FileTimeToLocalFileTime(&utc, &local);
    SYSTEMTIME st{};
    FileTimeToSystemTime(&local, &st);
    return st;
}

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

}  // namespace

TEST(CreateFolderIfMissing, CreatesOnlyTheLastLevel) {
    TTestFolder t;
    CreateFolderIfMissing(t + L"a");
    EXPECT_TRUE(PathExists(t + L"a"));
    CreateFolderIfMissing(t + L"a");  // existing: nothing happens
    CreateFolderIfMissing(t + L"x\\y");
    EXPECT_FALSE(PathExists(t + L"x"));
}

TEST(ListSubfolders, ListsVisibleFoldersExceptWithOutAnswer) {
    TTestFolder t;
    CreateDirectoryW((t + L"r150321").c_str(), nullptr);
    CreateDirectoryW((t + L"WithOutAnswer").c_str(), nullptr);
    CreateDirectoryW((t + L"hidden").c_str(), nullptr);
    SetFileAttributesW((t + L"hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateDirectoryW((t + L"system").c_str(), nullptr);
    SetFileAttributesW((t + L"system").c_str(), FILE_ATTRIBUTE_SYSTEM);
    PutFile(t + L"file150321", "x");

    std::vector<std::wstring> list;
    ListSubfolders(t.Path(), list);
    std::sort(list.begin(), list.end());
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], t + L"r150321");

    // The list is appended to, never cleared.
    ListSubfolders(t.Path(), list);
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1], t + L"r150321");
}

TEST(ListSubfolders, CaseVariantOfWithOutAnswerIsAPackage) {
    TTestFolder t;
    CreateDirectoryW((t + L"WITHOUTANSWER").c_str(), nullptr);
    std::vector<std::wstring> list;
    ListSubfolders(t.Path(), list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], t + L"WITHOUTANSWER");
}

TEST(ListSubfolders, MissingFolderAddsNothing) {
    TTestFolder t;
    std::vector<std::wstring> list{L"kept"};
    ListSubfolders(t + L"nothing\\", list);
    EXPECT_EQ(list, std::vector<std::wstring>{L"kept"});
}

TEST(CopyFolderRecursive, CopiesFilesAndVisibleSubfoldersOnly) {
    TTestFolder t;
    CreateDirectoryW((t + L"src").c_str(), nullptr);
    PutFile(t + L"src\\a.txt", "A");
    PutFile(t + L"src\\hidden.txt", "H");
    SetFileAttributesW((t + L"src\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    PutFile(t + L"src\\ro.txt", "R");
    SetFileAttributesW((t + L"src\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryW((t + L"src\\sub").c_str(), nullptr);
    CreateDirectoryW((t + L"src\\sub\\deep").c_str(), nullptr);
    PutFile(t + L"src\\sub\\deep\\d.txt", "D");
    CreateDirectoryW((t + L"src\\secret").c_str(), nullptr);
    PutFile(t + L"src\\secret\\s.txt", "S");
    SetFileAttributesW((t + L"src\\secret").c_str(), FILE_ATTRIBUTE_HIDDEN);

    // The destination's parents are created too.
    CopyFolderRecursive(t + L"src", t + L"dst\\one\\two");
    const std::wstring d = t + L"dst\\one\\two\\";
    EXPECT_EQ(GetFile(d + L"a.txt"), "A");
    EXPECT_EQ(GetFile(d + L"hidden.txt"), "H");
    EXPECT_EQ(GetFile(d + L"sub\\deep\\d.txt"), "D");
    EXPECT_FALSE(PathExists(d + L"secret"));
    // The platform copy carries the source's attributes.
    EXPECT_TRUE(Attributes(d + L"ro.txt") & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(Attributes(d + L"hidden.txt") & FILE_ATTRIBUTE_HIDDEN);
}

TEST(CopyFolderRecursive, ReplacesSameNamedFilesAndKeepsOthers) {
    TTestFolder t;
    CreateDirectoryW((t + L"src").c_str(), nullptr);
    PutFile(t + L"src\\same.txt", "new");
    PutFile(t + L"src\\locked.txt", "new");
    CreateDirectoryW((t + L"dst").c_str(), nullptr);
    PutFile(t + L"dst\\same.txt", "old");
    PutFile(t + L"dst\\other.txt", "other");
    PutFile(t + L"dst\\locked.txt", "old");
    // A destination in use is refused by the platform; the copy goes on and names
    // it with the system's reason. (A read-only one is replaced: its attribute is
    // cleared first; under Wine as root the attribute does not protect anyway.)
    HANDLE h = CreateFileW((t + L"dst\\locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);

    const std::vector<std::wstring> failures = CopyFolderRecursive(t + L"src", t + L"dst");
    CloseHandle(h);
    EXPECT_EQ(failures, std::vector<std::wstring>{t + L"dst\\locked.txt: " + SysErrorMessage(ERROR_SHARING_VIOLATION)});
    EXPECT_EQ(GetFile(t + L"dst\\same.txt"), "new");
    EXPECT_EQ(GetFile(t + L"dst\\other.txt"), "other");
    EXPECT_EQ(GetFile(t + L"dst\\locked.txt"), "old");
}

TEST(CopyFolderRecursive, MissingSourceLeavesAnEmptyDestination) {
    TTestFolder t;
    EXPECT_TRUE(CopyFolderRecursive(t + L"none", t + L"dst").empty());
    EXPECT_TRUE(PathExists(t + L"dst"));
    std::vector<std::wstring> list;
    ListSubfolders(t + L"dst\\", list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(GetFile(t + L"dst\\anything"), "<missing>");
}

TEST(CopyFolderRecursive, TrailingSeparatorOnTheDestinationIsAccepted) {
    TTestFolder t;
    CreateDirectoryW((t + L"Updater").c_str(), nullptr);
    PutFile(t + L"Updater\\ReleaseInfo", "<ROOT/>");
    CreateDirectoryW((t + L"inst").c_str(), nullptr);
    CopyFolderRecursive(t + L"Updater", t + L"inst\\");
    EXPECT_EQ(GetFile(t + L"inst\\ReleaseInfo"), "<ROOT/>");
}

TEST(StreamCopyFile, CopiesContentAcrossSeveralBlocks) {
    TTestFolder t;
    std::string big(StreamCopyBlockSize * 2 + 12345, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 4096);
    PutFile(t + L"big.bin", big);
    PutFile(t + L"copy.bin", std::string(StreamCopyBlockSize * 4, 'z'));  // longer: truncated
    EXPECT_TRUE(StreamCopyFile(t + L"big.bin", t + L"copy.bin"));
    EXPECT_TRUE(GetFile(t + L"copy.bin") == big);
}

TEST(StreamCopyFile, CopyToDiskLargeEnoughToBeFlushedBehindIsWhole) {
    // Flushed from a second thread while the writes go on: every block arrives,
    // over a longer file as over none.
    TTestFolder t;
    std::string big(FlushBehindStep + StreamCopyBlockSize * 3 + 77, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 13 + i / 65536);
    PutFile(t + L"big.fdb", big);
    for (const wchar_t* name : {L"new.fdb", L"old.fdb"}) {
        if (name == std::wstring(L"old.fdb")) PutFile(t + name, std::string(big.size() + 5, 'z'));
        unsigned long long last = 0;
        EXPECT_TRUE(StreamCopyFileToDisk(t + L"big.fdb", t + name,
                                         [&](unsigned long long done, unsigned long long) { last = done; }));
        EXPECT_EQ(last, big.size());
        EXPECT_TRUE(GetFile(t + name) == big) << name;
        DeleteFileW((t + name).c_str());
    }
}

TEST(StreamCopyFile, EmptyFileGivesEmptyCopy) {
    TTestFolder t;
    PutFile(t + L"empty", "");
    EXPECT_TRUE(StreamCopyFile(t + L"empty", t + L"copy"));
    EXPECT_TRUE(PathExists(t + L"copy"));
    EXPECT_EQ(GetFile(t + L"copy"), "");
}

TEST(StreamCopyFile, LastWriteTimeIsRoundedDownToAnEvenSecond) {
    TTestFolder t;
    PutFile(t + L"src", "x");
    SYSTEMTIME st{};
    st.wYear = 2021; st.wMonth = 3; st.wDay = 15; st.wHour = 10; st.wMinute = 20; st.wSecond = 31;
    st.wMilliseconds = 789;
    SetLastWrite(t + L"src", st);
    ASSERT_TRUE(StreamCopyFile(t + L"src", t + L"dst"));
    SYSTEMTIME got = LocalTimeOf(LastWrite(t + L"dst"));
    EXPECT_EQ(got.wYear, 2021);
    EXPECT_EQ(got.wMonth, 3);
    EXPECT_EQ(got.wDay, 15);
    EXPECT_EQ(got.wHour, 10);
    EXPECT_EQ(got.wMinute, 20);
    EXPECT_EQ(got.wSecond, 30);
    EXPECT_EQ(got.wMilliseconds, 0);
}

TEST(StreamCopyFile, MissingSourceRaisesAndLeavesNoDestination) {
    TTestFolder t;
    try {
        StreamCopyFile(t + L"missing.dll", t + L"dst.dll");
        FAIL() << "no error";
    } catch (const EAppError& e) {
        const std::wstring expected = L"Cannot open file \"" + (t + L"missing.dll") + L"\". ";
        EXPECT_EQ(e.Message().substr(0, expected.size()), expected);
        EXPECT_GT(e.Message().size(), expected.size());  // the system's reason follows
    }
    EXPECT_FALSE(PathExists(t + L"dst.dll"));
}

TEST(StreamCopyFile, SourceInUseCannotBeOpened) {
    TTestFolder t;
    PutFile(t + L"busy", "x");
    HANDLE h = CreateFileW((t + L"busy").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_THROW(StreamCopyFile(t + L"busy", t + L"dst"), EAppError);
    CloseHandle(h);
    EXPECT_FALSE(PathExists(t + L"dst"));
}

TEST(StreamCopyFile, SourceThatOthersReadIsCopiedAndTheCopyIsNotShared) {
    // Another PC copying from the same share, a backup or a virus scan.
    TTestFolder t;
    CreateDirectoryW((t + L"media").c_str(), nullptr);
    PutFile(t + L"media\\shared", "media");
    HANDLE reader = CreateFileW((t + L"media\\shared").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    std::string seen;
    EXPECT_TRUE(StreamCopyFileToDisk(t + L"media\\shared", t + L"dst", [&](unsigned long long, unsigned long long) {
        // While it is written, nobody else may open the copy.
        seen = GetFile(t + L"dst");
    }));
    EXPECT_TRUE(CopyFolderRecursive(t + L"media", t + L"folder").empty());
    CloseHandle(reader);
    EXPECT_EQ(GetFile(t + L"dst"), "media");
    EXPECT_EQ(seen, "<missing>");
    EXPECT_EQ(GetFile(t + L"folder\\shared"), "media");
}

TEST(StreamCopyFile, DestinationThatCannotBeCreatedRaisesAndReleasesTheSource) {
    TTestFolder t;
    PutFile(t + L"src", "x");
    PutFile(t + L"ro", "old");
    HANDLE busy = CreateFileW((t + L"ro").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    try {
        StreamCopyFile(t + L"src", t + L"ro");
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_EQ(e.Message().rfind(L"Cannot create file \"" + (t + L"ro") + L"\". ", 0), 0u);
    }
    CloseHandle(busy);
    EXPECT_EQ(GetFile(t + L"ro"), "old");
    EXPECT_THROW(StreamCopyFile(t + L"src", t + L"no\\such\\folder\\f"), EAppError);
    // The source was closed again: it can be opened without sharing.
    HANDLE h = CreateFileW((t + L"src").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
}

TEST(SetReadOnlyFlag, ChangesOnlyTheReadOnlyBit) {
    TTestFolder t;
    PutFile(t + L"f", "x");
    SetFileAttributesW((t + L"f").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetReadOnlyFlag(t + L"f", true);
    EXPECT_EQ(Attributes(t + L"f") & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    SetReadOnlyFlag(t + L"f", false);
    EXPECT_EQ(Attributes(t + L"f") & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    SetReadOnlyFlag(t + L"missing", false);
    EXPECT_FALSE(PathExists(t + L"missing"));
}

namespace {

// A folder link at link pointing to target: a directory symbolic link where the
// system makes one; under Wine (whose link call is a no-op) a Unix symbolic
// link made by /bin/ln, which Wine shows as an ordinary folder.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
    if (CreateSymbolicLinkW(link.c_str(), target.c_str(),
                            SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
        PathExists(link))
        return true;
    return MakeUnixLink(link, UnixPath(target));
}

}  // namespace

TEST(CopyFolderRecursive, LinkBackUpTheTreeIsNotFollowedAgain) {
    TTestFolder t;
    CreateDirectoryW((t + L"src").c_str(), nullptr);
    CreateDirectoryW((t + L"src\\a").c_str(), nullptr);
    PutFile(t + L"src\\a\\f.txt", "F");
    CreateDirectoryW((t + L"other").c_str(), nullptr);
    PutFile(t + L"other\\o.txt", "O");
    ASSERT_TRUE(MakeFolderLink(t + L"src\\a\\up", t + L"src"));
    // A link to a folder outside the branch is copied like any folder.
    ASSERT_TRUE(MakeFolderLink(t + L"src\\side", t + L"other"));

    CopyFolderRecursive(t + L"src", t + L"dst");
    EXPECT_EQ(GetFile(t + L"dst\\a\\f.txt"), "F");
    EXPECT_EQ(GetFile(t + L"dst\\side\\o.txt"), "O");
    // The loop ends where it would re-enter src: the link's folder is created, not filled.
    EXPECT_FALSE(PathExists(t + L"dst\\a\\up\\a"));
    // Remove the links before the tree is cleaned up, so cleaning does not follow them.
    RemoveDirectoryW((t + L"src\\a\\up").c_str());
    RemoveDirectoryW((t + L"src\\side").c_str());
    DeleteFileW((t + L"src\\a\\up").c_str());
    DeleteFileW((t + L"src\\side").c_str());
}
