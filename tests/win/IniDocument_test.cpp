#include <windows.h>
#include <shellapi.h>

#include "shared/IniDocument.h"

#include <gtest/gtest.h>

#include "platform/AppError.h"
#include "shared/FileIO.h"
#include "tests/win/TestFolder.h"

namespace {

const std::string OldDoc = "[options]\r\nFilterType=5\r\nKeep=old\r\n\r\n";

void WriteInstallKeys(const std::wstring& path) {
    IniDocument doc(path);
    doc.SetInteger(L"options", L"FilterType", 0);
    doc.SetInteger(L"options", L"HardwareType", 1);
    doc.WriteBack();
}

// The error text of a failed write, or "" when the write succeeded.
std::wstring WriteError(const std::wstring& path) {
    try {
        WriteInstallKeys(path);
    } catch (const EAppError& e) {
        return e.Message();
    }
    return L"";
}

}  // namespace

TEST(IniDocument, NewFileHoldsTheTwoInstallKeys) {
    TTestFolder dir;
    WriteInstallKeys(dir + L"holter.ini");
    EXPECT_EQ(GetFile(dir + L"holter.ini"), "[options]\r\nFilterType=0\r\nHardwareType=1\r\n\r\n");
    EXPECT_EQ(dir.Files(), std::vector<std::wstring>{L"holter.ini"});  // no temporary file left
}

TEST(IniDocument, ExistingFileKeepsOtherKeysSpellingAndEncoding) {
    TTestFolder dir;
    // UTF-16 LE with a mark, a Cyrillic value, a comment and a lower-case key.
    std::wstring text = L"[Common]\r\nName=Иванов\r\n[OPTIONS]\r\n; comment\r\nfiltertype=9\r\nX=1";
    PutFile(dir + L"holter.ini", Utf16File(text));
    WriteInstallKeys(dir + L"holter.ini");

    IniDocument again(dir + L"holter.ini");
    EXPECT_EQ(again.Text().Encoding, TTextEncoding::Utf16LE);
    EXPECT_EQ(again.Text().Serialise(),
              L"[Common]\r\nName=Иванов\r\n\r\n"
              L"[OPTIONS]\r\nfiltertype=0\r\nX=1\r\nHardwareType=1\r\n\r\n");
}

TEST(IniDocument, Utf8AndAnsiFilesKeepTheirBytes) {
    TTestFolder dir;
    PutFile(dir + L"u.ini", "\xEF\xBB\xBF[o]\r\nk=\xD0\x96\r\n\r\n");
    WriteInstallKeys(dir + L"u.ini");
    EXPECT_EQ(GetFile(dir + L"u.ini"),
              "\xEF\xBB\xBF[o]\r\nk=\xD0\x96\r\n\r\n[options]\r\nFilterType=0\r\nHardwareType=1\r\n\r\n");

    // Code-page bytes come back as they were, without a mark being added.
    PutFile(dir + L"a.ini", "[o]\r\nk=\xC0\xE9\xFF\r\n");
    WriteInstallKeys(dir + L"a.ini");
    EXPECT_EQ(GetFile(dir + L"a.ini"),
              "[o]\r\nk=\xC0\xE9\xFF\r\n\r\n[options]\r\nFilterType=0\r\nHardwareType=1\r\n\r\n");
}

TEST(IniDocument, GarbageFileIsRewrittenAsAValidDocument) {
    TTestFolder dir;
    std::string garbage;
    unsigned x = 12345;
    for (int i = 0; i < 300000; ++i) {
        x = x * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(x >> 24));
    }
    for (const std::string& bytes : {garbage, std::string("\xFF\xFE"), std::string("\xEF\xBB\xBF"),
                                     std::string("\0\0\0[options]\0=\0", 15)}) {
        PutFile(dir + L"g.ini", bytes);
        WriteInstallKeys(dir + L"g.ini");
        IniDocument doc(dir + L"g.ini");
        const std::wstring* ft = doc.Text().FindValue(L"options", L"FilterType");
        const std::wstring* hw = doc.Text().FindValue(L"options", L"HardwareType");
        ASSERT_TRUE(ft && hw);
        EXPECT_EQ(*ft, L"0");
        EXPECT_EQ(*hw, L"1");
    }
}

TEST(IniDocument, MissingFolderRaisesAndCreatesNothing) {
    TTestFolder dir;
    const std::wstring path = dir + L"nofolder\\holter.ini";
    const std::wstring error = WriteError(path);
    EXPECT_EQ(error.rfind(L"Cannot create file \"" + path + L"\". ", 0), 0u) << error;
    EXPECT_GT(error.size(), path.size() + 22);  // the system's text follows
    EXPECT_TRUE(dir.Files().empty());
}

TEST(IniDocument, FileThatCannotBeReplacedStaysUnchanged) {
    TTestFolder dir;
    const std::wstring path = dir + L"holter.ini";

    PutFile(path, OldDoc);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(WriteError(path).rfind(L"Cannot create file \"" + path + L"\". ", 0), 0u);
    EXPECT_EQ(GetFile(path), OldDoc);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    {
        // Held open by another program that does not allow it to be replaced.
        TKernelHandle holder(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder.Valid());
        EXPECT_NE(WriteError(path), L"");
    }
    EXPECT_EQ(GetFile(path), OldDoc);
    EXPECT_EQ(dir.Files(), std::vector<std::wstring>{L"holter.ini"});

    // A folder where the file should be.
    CreateDirectoryW((dir + L"btooth.ini").c_str(), nullptr);
    EXPECT_NE(WriteError(dir + L"btooth.ini"), L"");
}

TEST(IniDocument, UnreadableFileIsNotTakenForEmpty) {
    TTestFolder dir;
    const std::wstring path = dir + L"holter.ini";
    PutFile(path, OldDoc);
    TKernelHandle holder(
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.Valid());
    try {
        IniDocument doc(path);
        FAIL() << "opened a file held exclusively";
    } catch (const EAppError& e) {
        EXPECT_EQ(e.Message().rfind(L"Cannot open file \"" + path + L"\". ", 0), 0u);
    }
    holder.Close();
    EXPECT_EQ(GetFile(path), OldDoc);
}

// --- A writer killed part-way through -------------------------------------

namespace {

std::wstring ChildMarker;

void PauseForever(const std::wstring& temp) {
    // Tell the parent the temporary file is complete, then wait to be killed.
    PutFile(ChildMarker, "x");
    (void)temp;
    Sleep(INFINITE);
}

// Child modes: "pause <ini> <marker>" stops between the temporary write and the
// replace; "loop <ini>" rewrites the file with two alternating documents forever.
int ChildMain(int argc, wchar_t** argv) {
    const std::wstring mode = argv[1];
    const std::wstring ini = argv[2];
    if (mode == L"--pause" && argc >= 4) {
        ChildMarker = argv[3];
        BeforeReplaceHook = PauseForever;
        WriteInstallKeys(ini);
        return 3;  // not reached
    }
    if (mode == L"--loop") {
        for (unsigned i = 0;; ++i) {
            IniDocument doc(ini);
            doc.SetString(L"options", L"Pad", std::wstring((i % 2) ? 50000 : 10, L'a' + (i % 2)));
            doc.WriteBack();
        }
    }
    return 2;
}

bool WaitForFile(const std::wstring& path, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 20) {
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(20);
    }
    return false;
}

}  // namespace

TEST(IniDocument, WriterKilledBeforeTheReplaceLeavesTheOldFile) {
    TTestFolder dir;
    const std::wstring ini = dir + L"holter.ini";
    const std::wstring marker = dir + L"marker";
    PutFile(ini, OldDoc);
    TKernelHandle child = StartChild(OwnExePath(), L"--pause \"" + ini + L"\" \"" + marker + L"\"");
    ASSERT_TRUE(child.Valid());
    const bool paused = WaitForFile(marker, 60000);
    TerminateProcess(child.Get(), 9);
    WaitForSingleObject(child.Get(), 10000);
    ASSERT_TRUE(paused);
    EXPECT_EQ(GetFile(ini), OldDoc);
    // The complete temporary file is what is left over beside it.
    bool sawTemp = false;
    for (const std::wstring& f : dir.Files())
        if (f.rfind(L"holter.ini.", 0) == 0 && f.size() > 15 && f.substr(f.size() - 4) == L".tmp") {
            sawTemp = true;
            EXPECT_EQ(GetFile(dir + f), "[options]\r\nFilterType=0\r\nKeep=old\r\nHardwareType=1\r\n\r\n");
        }
    EXPECT_TRUE(sawTemp);
    // The next write succeeds despite the leftover.
    WriteInstallKeys(ini);
    EXPECT_EQ(GetFile(ini), "[options]\r\nFilterType=0\r\nKeep=old\r\nHardwareType=1\r\n\r\n");
}

TEST(IniDocument, WriterKilledAtRandomLeavesOneWholeDocument) {
    TTestFolder dir;
    const std::wstring ini = dir + L"holter.ini";
    PutFile(ini, OldDoc);
    const std::string small = "[options]\r\nFilterType=5\r\nKeep=old\r\nPad=" + std::string(10, 'a') + "\r\n\r\n";
    const std::string large = "[options]\r\nFilterType=5\r\nKeep=old\r\nPad=" + std::string(50000, 'b') + "\r\n\r\n";
    for (int round = 0; round < 6; ++round) {
        TKernelHandle child = StartChild(OwnExePath(), L"--loop \"" + ini + L"\"");
        ASSERT_TRUE(child.Valid());
        Sleep(300 + 137 * round);
        TerminateProcess(child.Get(), 9);
        WaitForSingleObject(child.Get(), 10000);
        const std::string now = GetFile(ini);
        EXPECT_TRUE(now == OldDoc || now == small || now == large)
            << "round " << round << ": " << now.size() << " bytes";
    }
}

int main(int argc, char** argv) {
    int wargc = 0;
    wchar_t** wargv = CommandLineToArgvW(GetCommandLineW(), &wargc);
    if (wargc >= 3 && std::wstring(wargv[1]).rfind(L"--", 0) == 0 &&
        std::wstring(wargv[1]).find(L"gtest") == std::wstring::npos)
        return ChildMain(wargc, wargv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
