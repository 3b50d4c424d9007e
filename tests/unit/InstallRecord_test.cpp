#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/InstallRecord.h"
#include "install/VersionInfo.h"
#include "shared/TextCodec.h"

TEST(InstallRecord, PathsInsideTheProgramFolderOnly) {
    for (const wchar_t* ok : {L"Shell.exe", L"udf\\fbudf.dll", L"backup\\r010421\\Install.cmd", L"Отчёты.dll",
                              L"DTAfb.old\\x", L"Settings2\\a", L"logs\\Install.log", L"Install.log.bak", L"CONSOLE.exe"})
        EXPECT_TRUE(RecordablePath(ok)) << EncodeUtf8(ok);
    for (const wchar_t* bad :
         {L"", L"..\\Windows\\notepad.exe", L"udf\\..\\..\\x", L"\\Windows\\x", L"C:\\Windows\\x", L"\\\\srv\\s\\x",
          L"a\\\\b", L"udf\\", L".\\Shell.exe", L"Shell.exe:stream", L"a/../../x", L"DTAfb\\V12.FDB",
          L"dtafb\\V12.FDB.20260101-000000.bak", L"SETTINGS\\holter.ini", L"ſettings\\holter.ini", L"DTAfb. \\V12.FDB",
          L"Shell.exe.", L"Shell.exe ", L"Install.log", L"UNINSTALL.LOG", L"RavaRerozo.log", L"Uninstall.exe",
          L"uninstall.lst", L"Installed.txt", L"NUL", L"con.txt", L"udf\\COM1.dll", L"a\x01" L"b", L"a?b", L"a*b"})
        EXPECT_FALSE(RecordablePath(bad)) << EncodeUtf8(bad);
}

TEST(InstallRecord, WrittenRecordReadsBackAndHandEditedLinesAreLeftOut) {
    TInstallRecord record;
    record.Folder = L"C:\\Rudeve\\";
    record.Shortcut = L"C:\\Users\\Врач\\Desktop\\Велитор - Vudeze.lnk";
    record.Files = {{L"Shell.exe", 678495, 0x01DD8850946E4A00ull}, {L"udf\\Отчёт.dll", 0, 0},
                    {L"big.bin", 0xFFFFFFFFFFFFull, 0xFFFFFFFFFFFFFFFFull}};
    TInstallRecord back;
    std::size_t refused = 9;
    ASSERT_TRUE(ParseInstallRecord(FormatInstallRecord(record), back, refused));
    EXPECT_EQ(refused, 0u);
    EXPECT_EQ(back.Folder, record.Folder);
    EXPECT_EQ(back.Shortcut, record.Shortcut);
    EXPECT_EQ(back.Files, record.Files);

    // A hand-edited record: paths out of the folder or into the data, broken
    // numbers and unknown lines are not taken; LF-only line ends are.
    const std::string edited = FormatInstallRecord(record) +
                               "file\t1\t0000000000000001\t..\\..\\Windows\\win.ini\n"
                               "file\t1\t0000000000000001\tDTAfb\\V12.FDB\n"
                               "file\tx\t0000000000000001\ta.dll\n"
                               "file\t1\t00000000000000001\ta.dll\n"
                               "file\t99999999999999999999\t1\ta.dll\n"
                               "file\t1\t1\n"
                               "rm\t-rf\n"
                               "link\tC:\\Windows\\notepad.exe\n"
                               "file\t5\tff\tb.dll\n";
    ASSERT_TRUE(ParseInstallRecord(edited, back, refused));
    EXPECT_EQ(refused, 8u);
    EXPECT_EQ(back.Shortcut, record.Shortcut);
    ASSERT_EQ(back.Files.size(), 4u);
    EXPECT_EQ(back.Files[3], (TRecordedFile{L"b.dll", 5, 0xFF}));

    EXPECT_FALSE(ParseInstallRecord("", back, refused));
    EXPECT_TRUE(ParseInstallRecord("\xEF\xBB\xBFVelitor-Vudeze installed files 1\nfile\t1\t1\ta.dll", back, refused));
    EXPECT_EQ(back.Files.size(), 1u);
    EXPECT_FALSE(ParseInstallRecord("Velitor-Vudeze installed files 2\r\nfile\t1\t1\ta.dll\r\n", back, refused));
}

TEST(InstallRecord, OnlyWhatTheInstallationMadeOrChangedOrRecordedEarlierIsItsOwn) {
    TFolderBefore before;
    before.Present = {{L"Отчёт.doc", 10, 5}, {L"Shell.exe", 100, 7}, {L"udf\\fbudf.dll", 20, 7}, {L"old.dll", 1, 1}};
    before.Recorded = {L"UDF\\FBUDF.DLL"};
    const std::vector<TRecordedFile> now = {{L"Отчёт.doc", 10, 5},        // the clinic's, untouched
                                            {L"shell.exe", 100, 9},       // rewritten: another time
                                            {L"udf\\fbudf.dll", 20, 7},  // the same again, recorded before
                                            {L"old.dll", 2, 1},           // another size
                                            {L"Updater.exe", 3, 3}};      // new
    const std::vector<TRecordedFile> ours = InstalledFiles(now, before);
    std::vector<std::wstring> paths;
    for (const TRecordedFile& f : ours) paths.push_back(f.Path);
    EXPECT_EQ(paths, (std::vector<std::wstring>{L"shell.exe", L"udf\\fbudf.dll", L"old.dll", L"Updater.exe"}));
    EXPECT_EQ(InstalledFiles(now, {}).size(), now.size());  // into a new folder: everything
}

TEST(InstallRecord, ShortcutsAndFolderContainment) {
    EXPECT_TRUE(RecordableShortcut(L"C:\\Users\\a\\Desktop\\Велитор - Vudeze.lnk"));
    EXPECT_TRUE(RecordableShortcut(L"\\\\srv\\profiles\\a\\Desktop\\x.LNK"));
    for (const wchar_t* bad : {L"C:\\Rudeve\\Shell.exe", L"Desktop\\x.lnk", L"C:\\a\\..\\..\\x.lnk",
                               L"C:\\a\\x.lnk:s.lnk", L"\\\\?\\C:\\x.lnk", L"C:x.lnk"})
        EXPECT_FALSE(RecordableShortcut(bad)) << EncodeUtf8(bad);

    EXPECT_TRUE(PathInsideFolder(L"c:\\rudeve\\Shell.exe", L"C:\\Rudeve\\"));
    EXPECT_FALSE(PathInsideFolder(L"C:\\Rudeve2\\Shell.exe", L"C:\\Rudeve\\"));
    EXPECT_FALSE(PathInsideFolder(L"C:\\Rudeve\\", L"C:\\Rudeve\\"));
    EXPECT_FALSE(PathInsideFolder(L"C:\\Rudeve\\x", L"C:\\Rudeve"));
}

TEST(InstallRecord, EntryValuesAndTheHelpersCommandLine) {
    EXPECT_EQ(InstallDateText(2026, 3, 9), L"20260309");
    EXPECT_EQ(EstimatedSizeKiB(0), 0u);
    EXPECT_EQ(EstimatedSizeKiB(1), 1u);
    EXPECT_EQ(EstimatedSizeKiB(2048), 2u);
    EXPECT_EQ(EstimatedSizeKiB(2049), 3u);
    EXPECT_EQ(EstimatedSizeKiB(~0ull), 0xFFFFFFFFu);
    EXPECT_EQ(UninstallCommand(L"C:\\Program Files\\Rudeve\\", true),
              L"\"C:\\Program Files\\Rudeve\\Uninstall.exe\" /UNINSTALL /VERYSILENT");

    std::uint32_t handle = 0;
    std::wstring folder;
    const std::wstring line = L"\"C:\\Temp dir\\copy.exe\" " + RemovalHelperArguments(1234, L"C:\\Program Files\\Rudeve\\");
    ASSERT_TRUE(ParseRemovalHelper(line, handle, folder));
    EXPECT_EQ(handle, 1234u);
    EXPECT_EQ(folder, L"C:\\Program Files\\Rudeve\\");
    for (const wchar_t* other : {L"Install.exe", L"Install.exe /UNINSTALL /VERYSILENT",
                                 L"x.exe /REMOVEUNINSTALLER 12 C:\\Rudeve", L"x.exe /REMOVEUNINSTALLER 0 C:\\Rudeve\\",
                                 L"x.exe /REMOVEUNINSTALLER -1 C:\\Rudeve\\", L"x.exe /REMOVEUNINSTALLER 99999999999 C:\\R\\",
                                 L"x.exe /REMOVEUNINSTALLER 12 \"C:\\Rudeve\\", L"x.exe /REMOVEUNINSTALLER 12 C:\\R\\ x"})
        EXPECT_FALSE(ParseRemovalHelper(other, handle, folder)) << EncodeUtf8(other);
}

namespace {

// A version resource block: lengths, type, key, value and children, each on a
// 32-bit boundary (blocks start on one, so their own offsets suffice).
void PutWord(std::string& b, std::size_t at, unsigned v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}
void PutText(std::string& b, const std::u16string& s) {
    for (char16_t c : s) b += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    b += {'\0', '\0'};
}
std::string Block(const std::u16string& key, const std::u16string* text, std::size_t binary,
                  const std::vector<std::string>& children = {}) {
    std::string b(6, '\0');
    PutText(b, key);
    while (b.size() % 4) b.push_back('\0');
    if (text) PutText(b, *text);
    else b.append(binary, '\x7F');
    for (const std::string& c : children) {
        while (b.size() % 4) b.push_back('\0');
        b += c;
    }
    PutWord(b, 0, static_cast<unsigned>(b.size()));
    PutWord(b, 2, text ? static_cast<unsigned>(text->size() + 1) : static_cast<unsigned>(binary));
    PutWord(b, 4, text ? 1 : 0);
    return b;
}

}  // namespace

TEST(VersionInfo, CompanyOfTheFirstStringTable) {
    // Odd key lengths and a binary value of 52 bytes exercise the padding.
    const std::u16string company = u"Rudeve \U0001F600", product = u"Велитор - Vudeze", other = u"Other";
    const std::string table = Block(u"041904B0", nullptr, 0,
                                    {Block(u"ProductName", &product, 0), Block(u"CompanyName", &company, 0)});
    const std::string second = Block(u"040904B0", nullptr, 0, {Block(u"Comments", &other, 0)});
    const std::string resource =
        Block(u"VS_VERSION_INFO", nullptr, 52,
              {Block(u"VarFileInfo", nullptr, 0), Block(u"StringFileInfo", nullptr, 0, {table, second})});
    std::wstring expected = L"Rudeve ";
    AppendCodePoint(expected, 0x1F600);
    EXPECT_EQ(VersionString(resource, L"CompanyName"), expected);
    EXPECT_EQ(VersionString(resource, L"ProductName"), L"Велитор - Vudeze");
    EXPECT_EQ(VersionString(resource, L"Comments"), L"");  // only the first table counts
    EXPECT_EQ(VersionString(resource, L"FileVersion"), L"");

    // Cut anywhere, the parser answers empty or a value, never reads past the bytes.
    for (std::size_t cut = 0; cut < resource.size(); ++cut) (void)VersionString(resource.substr(0, cut), L"CompanyName");
    std::string wrongRoot = resource;
    wrongRoot[6] = 'X';
    EXPECT_EQ(VersionString(wrongRoot, L"CompanyName"), L"");
}
