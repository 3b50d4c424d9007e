#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <map>
#include <string>
#include <vector>

#include "desktop/Fonts.h"
#include "install/FileHelpers.h"
#include "install/FontStage.h"
#include "platform/AppError.h"
#include "platform/WinUtil.h"
#include "shared/TextCodec.h"
#include "tests/gui/TmpfsDrive.h"
#include "tests/unit/MediaFixtures.h"
#include "tools/mediacheck/TrueTypeName.h"
#include "tests/win/TestFolder.h"

namespace {

// Real TrueType files (fonts-liberation) under the seven names of the list,
// chosen so that every one has its own descriptive name.
const std::pair<const wchar_t*, const wchar_t*> Samples[] = {
    {L"ARIAL.TTF", L"LiberationSans-Regular.ttf"},
    {L"ARIALN.TTF", L"LiberationSansNarrow-Regular.ttf"},
    {L"COUR.TTF", L"LiberationMono-Regular.ttf"},
    {L"MICROSS.TTF", L"LiberationSans-Bold.ttf"},
    {L"TAHOMA.TTF", L"LiberationSans-Italic.ttf"},
    {L"TIMES.TTF", L"LiberationSerif-Regular.ttf"},
    {L"verdana.TTF", L"LiberationSans-BoldItalic.ttf"},
};
const wchar_t* const Names[] = {
    L"Liberation Sans", L"Liberation Sans Narrow", L"Liberation Mono", L"Liberation Sans Bold",
    L"Liberation Sans Italic", L"Liberation Serif", L"Liberation Sans Bold Italic",
};
const wchar_t* const LiberationFolder = L"Z:\\usr\\share\\fonts\\truetype\\liberation\\";

class TRecorder : public IProgressLog {
public:
    int Add(const std::wstring& line) override {
        Lines.push_back(line);
        return int(Lines.size()) - 1;
    }
    void Complete(int, bool) override { ADD_FAILURE() << "the font step has no progress lines"; }
    void ShowError(const std::wstring&) override { ADD_FAILURE() << "the font step shows nothing"; }
    std::vector<std::wstring> Lines;
};

struct TRawValue {
    DWORD Type;
    std::vector<BYTE> Data;
};

// Every value of the machine's fonts key, as stored.
std::map<std::wstring, TRawValue> RawFontValues() {
    std::map<std::wstring, TRawValue> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, FontsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameLen = 512, type = 0;
        std::vector<BYTE> data(4096);
        DWORD bytes = DWORD(data.size());
        if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data.data(), &bytes) !=
            ERROR_SUCCESS)
            break;
        data.resize(bytes);
        values[name] = {type, data};
    }
    RegCloseKey(key);
    return values;
}

// Puts the fonts key back exactly as it was (Wine lists the host's fonts there).
void RestoreFontValues(const std::map<std::wstring, TRawValue>& saved) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, FontsKey);  // the key goes with its values
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, FontsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr), ERROR_SUCCESS);
    for (const auto& [name, value] : saved)
        RegSetValueExW(key, name.c_str(), 0, value.Type, value.Data.data(), DWORD(value.Data.size()));
    RegCloseKey(key);
}

// Every value of the machine's fonts key.
std::map<std::wstring, std::wstring> FontValues() {
    std::map<std::wstring, std::wstring> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, FontsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameLen = 512, type = 0;
        BYTE data[2048] = {};
        DWORD bytes = sizeof(data) - 2;
        if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data, &bytes) != ERROR_SUCCESS)
            break;
        values[name] = type == REG_SZ ? reinterpret_cast<wchar_t*>(data) : L"<not a string>";
    }
    RegCloseKey(key);
    return values;
}

std::string FileBytes(const std::wstring& path) {
    TKernelHandle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!f.Valid()) return "";
    std::string bytes(GetFileSize(f.Get(), nullptr), '\0');
    DWORD read = 0;
    ReadFile(f.Get(), bytes.data(), DWORD(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

// A real font with its name table replaced: the new table goes at the end of
// the file and the directory points there (checksums are not checked).
std::string WithNameTable(std::string font, const std::string& table) {
    const auto put32 = [&](size_t at, size_t v) {
        for (int k = 0; k < 4; ++k) font[at + k] = char(v >> (24 - 8 * k));
    };
    const size_t tables = (size_t(uint8_t(font[4])) << 8) | uint8_t(font[5]);
    font.append((4 - font.size() % 4) % 4, '\0');
    for (size_t rec = 12; rec < 12 + tables * 16; rec += 16) {
        if (font.compare(rec, 4, "name") != 0) continue;
        put32(rec + 8, font.size());
        put32(rec + 12, table.size());
    }
    return font + table;
}

// A source folder with the seven fonts and an empty fonts folder, both temporary.
// The machine key is the one of the run's own Wine prefix; the test's values are
// removed again.
class FontsTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        FRoot = std::wstring(tmp) + L"fonts" + std::to_wstring(GetTickCount64()) + L"\\";
        FSource = FRoot + L"media\\fonts\\";
        FFonts = FRoot + L"windows\\fonts\\";
        for (const std::wstring& d : {FRoot, FRoot + L"media\\", FSource, FRoot + L"windows\\", FFonts})
            ASSERT_TRUE(CreateDirectoryW(d.c_str(), nullptr));
        for (const auto& [name, sample] : Samples)
            ASSERT_TRUE(CopyFileW((std::wstring(LiberationFolder) + sample).c_str(),
                                  (FSource + name).c_str(), FALSE))
                << "fonts-liberation is needed (scripts/setup)";
        FSaved = RawFontValues();
        FBefore = FontValues();
    }
    void TearDown() override {
        RestoreFontValues(FSaved);
        SHFILEOPSTRUCTW op{};
        std::wstring from = FRoot.substr(0, FRoot.size() - 1) + L'\0';
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        SHFileOperationW(&op);
    }
    // Values added or changed in the fonts key since SetUp.
    std::map<std::wstring, std::wstring> NewValues() {
        std::map<std::wstring, std::wstring> changed;
        for (const auto& [name, data] : FontValues()) {
            auto before = FBefore.find(name);
            if (before == FBefore.end() || before->second != data) changed[name] = data;
        }
        return changed;
    }
    std::wstring FRoot, FSource, FFonts;
    std::map<std::wstring, std::wstring> FBefore;
    std::map<std::wstring, TRawValue> FSaved;
};

}  // namespace

TEST_F(FontsTest, AllSevenAreCopiedRegisteredAndReportedInOrder) {
    TRecorder log;
    InstallFontFiles(log, FSource, FFonts, StreamCopyFile);

    ASSERT_EQ(log.Lines.size(), 7u);
    std::map<std::wstring, std::wstring> expected;
    for (size_t i = 0; i < 7; ++i) {
        const std::wstring file = Samples[i].first;
        EXPECT_EQ(log.Lines[i], std::wstring(L"Шрифт <") + Names[i] + L"> уcтановлен");
        EXPECT_EQ(FileBytes(FFonts + file), FileBytes(FSource + file)) << file;
        expected[std::wstring(Names[i]) + L" (TrueType)"] = file;
    }
    EXPECT_EQ(NewValues(), expected);
    EXPECT_EQ(NewValues()[L"Liberation Sans Bold Italic (TrueType)"], L"verdana.TTF");

    // The second letter of the verb is the Latin "c", as the line has always read.
    const std::wstring& line = log.Lines[0];
    size_t verb = line.find(L"> у");
    ASSERT_NE(verb, std::wstring::npos);
    EXPECT_EQ(line[verb + 3], L'c');
    EXPECT_EQ(line[verb + 3], wchar_t(0x0063));
}

TEST_F(FontsTest, ASecondRunAddsAndChangesNothing) {
    TRecorder first;
    InstallFontFiles(first, FSource, FFonts, StreamCopyFile);
    ASSERT_EQ(first.Lines.size(), 7u);
    auto afterFirst = FontValues();

    // Present files are never looked at again: a removed registry value stays removed.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, FontsKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    RegDeleteValueW(key, L"Liberation Mono (TrueType)");
    RegCloseKey(key);
    afterFirst.erase(L"Liberation Mono (TrueType)");

    TRecorder second;
    InstallFontFiles(second, FSource, FFonts, StreamCopyFile);
    EXPECT_TRUE(second.Lines.empty());
    EXPECT_EQ(FontValues(), afterFirst);
}

TEST_F(FontsTest, AFontPresentUnderAnotherCaseCountsAsPresent) {
    ASSERT_TRUE(CopyFileW((FSource + L"ARIAL.TTF").c_str(), (FFonts + L"arial.ttf").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((FSource + L"verdana.TTF").c_str(), (FFonts + L"VERDANA.TTF").c_str(), FALSE));
    TRecorder log;
    InstallFontFiles(log, FSource, FFonts, StreamCopyFile);
    ASSERT_EQ(log.Lines.size(), 5u);
    EXPECT_EQ(log.Lines.front(), L"Шрифт <Liberation Sans Narrow> уcтановлен");
    EXPECT_EQ(log.Lines.back(), L"Шрифт <Liberation Serif> уcтановлен");
    auto added = NewValues();
    EXPECT_EQ(added.size(), 5u);
    EXPECT_EQ(added.count(L"Liberation Sans (TrueType)"), 0u);
    EXPECT_EQ(added.count(L"Liberation Sans Bold Italic (TrueType)"), 0u);
}

TEST_F(FontsTest, AMissingSourceFontEndsTheStepAndKeepsWhatWasDone) {
    ASSERT_TRUE(DeleteFileW((FSource + L"COUR.TTF").c_str()));
    TRecorder log;
    EXPECT_THROW(InstallFontFiles(log, FSource, FFonts, StreamCopyFile), EAppError);
    ASSERT_EQ(log.Lines.size(), 2u);
    EXPECT_EQ(NewValues().size(), 2u);
    EXPECT_TRUE(FileExists(FFonts + L"ARIALN.TTF"));
    EXPECT_FALSE(FileExists(FFonts + L"COUR.TTF"));
    EXPECT_FALSE(FileExists(FFonts + L"MICROSS.TTF"));
}

// The fonts folder on a drive that fills up in the middle of the first font: the
// cut-off file is removed (a later run tries it again), nothing is registered
// or reported, and the step ends with an error.
TEST_F(FontsTest, ACopyThatBreaksOffLeavesNoFileNoValueAndNoLine) {
    fault::TTmpfsDrive drive(L'R', 64u << 10);  // far smaller than any of the fonts
    if (!drive.Ready()) GTEST_SKIP() << drive.WhyNot();
    TRecorder log;
    std::wstring message;
    try {
        InstallFontFiles(log, FSource, drive.Root(), StreamCopyFile);
    } catch (const EAppError& e) {
        message = e.Message();
    }
    EXPECT_NE(message.find(drive.Root() + L"ARIAL.TTF"), std::wstring::npos) << "no error naming the font";
    EXPECT_FALSE(FileExists(drive.Root() + L"ARIAL.TTF"));
    EXPECT_TRUE(log.Lines.empty());
    EXPECT_TRUE(NewValues().empty());
}

std::wstring HungWindowProgram() { return BuildPath(HUNG_WINDOW_EXE); }

// A program elsewhere whose window has stopped answering messages does not hold
// the font step, and a window that answers gets both announcements of each font.
TEST_F(FontsTest, AHungWindowElsewhereDoesNotHoldTheStep) {
    const std::wstring quitName = L"HungWindowQuit" + std::to_wstring(GetCurrentProcessId());
    TKernelHandle quit(CreateEventW(nullptr, TRUE, FALSE, quitName.c_str()));
    std::wstring command = L"\"" + HungWindowProgram() + L"\" " + quitName;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
    TKernelHandle helper(pi.hProcess);
    CloseHandle(pi.hThread);
    HWND hung = nullptr, counting = nullptr;
    for (int i = 0; i < 600 && !(hung && counting); ++i) {
        Sleep(50);
        hung = FindWindowW(L"HungFontWindow", nullptr);
        counting = FindWindowW(L"ResponsiveFontWindow", nullptr);
    }
    ASSERT_TRUE(hung && counting) << "the helper's windows did not appear";

    TRecorder log;
    InstallFontFiles(log, FSource, FFonts, StreamCopyFile);
    EXPECT_EQ(log.Lines.size(), 7u);
    wchar_t title[64] = {};
    GetWindowTextW(counting, title, 64);  // the stored title; no message is sent
    EXPECT_STREQ(title, L"fontchange 14");

    SetEvent(quit.Get());
    WaitForSingleObject(helper.Get(), INFINITE);
}

TEST_F(FontsTest, AnUnopenableFontsKeyRaisesAfterTheCopy) {
    // The key is opened, never created: without it the value write fails.
    // TearDown puts the key back.
    ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, FontsKey), ERROR_SUCCESS);
    TRecorder log;
    std::wstring message;
    try {
        InstallFont(L"TIMES.TTF", FSource, FFonts, log, StreamCopyFile);
    } catch (const EAppError& e) {
        message = e.Message();
    }
    HKEY created = nullptr;
    LONG rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, FontsKey, 0, KEY_READ, &created);
    if (created) RegCloseKey(created);

    EXPECT_EQ(message, L"Failed to set data for 'Liberation Serif (TrueType)'");
    EXPECT_EQ(rc, ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(FileExists(FFonts + L"TIMES.TTF"));
    EXPECT_TRUE(log.Lines.empty());
}

TEST_F(FontsTest, DescriptiveNameComesFromTheFontItself) {
    // Wine's GetFontResourceInfoW reports zero bytes for every query; then the
    // name is read from the font's own name table, which is what Windows reports.
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(GetFontResourceName(FSource + Samples[i].first), Names[i]);
    // No font, no name: a missing file and a file that is not a font.
    EXPECT_EQ(GetFontResourceName(FSource + L"MISSING.TTF"), L"");
    const std::wstring text = FSource + L"NOTAFONT.TTF";
    TKernelHandle f(CreateFileW(text.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(f.Get(), "not a font at all", 17, &written, nullptr);
    f.Close();
    EXPECT_EQ(GetFontResourceName(text), L"");
    // The name is read and the font withdrawn: nothing stays registered with GDI,
    // so the file can be deleted at once.
    EXPECT_TRUE(DeleteFileW((FSource + L"ARIAL.TTF").c_str()));
}

// The media checker predicts the registry value from the font's own name
// table. Under Wine the system describes no font, so the value's name comes
// from the installer's reading of that table: for records that disagree
// (Windows BMP in Russian, full Unicode in US English, Mac Roman) both take the
// same one.
TEST_F(FontsTest, TheRegisteredNameIsTheOneTheMediaCheckerPredicts) {
    using fixtures::Utf16Be;
    const std::string table = fixtures::NameTable({
        {1, 0, 0, 1, "Mac Family"},
        {1, 0, 0, 4, "Mac Name"},
        {3, 1, 0x0419, 4, Utf16Be(u"Шрифт")},
        {3, 10, 0x0409, 1, Utf16Be(u"Wide Family")},
        {3, 10, 0x0409, 4, Utf16Be(u"Wide Name")},
    });
    const std::wstring file = FSource + L"ARIAL.TTF";
    const std::string font = WithNameTable(FileBytes(file), table);
    TKernelHandle f(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(f.Get(), font.data(), DWORD(font.size()), &written, nullptr));
    f.Close();

    const mediacheck::TFontCheck predicted = mediacheck::CheckTrueTypeFile(file);
    ASSERT_TRUE(predicted.ok) << predicted.problem;
    TRecorder log;
    InstallFont(L"ARIAL.TTF", FSource, TFontPlace(FFonts), log, StreamCopyFile);
    const std::wstring value = DecodeUtf8(predicted.fullName) + L" (TrueType)";
    EXPECT_EQ(NewValues(), (std::map<std::wstring, std::wstring>{{value, L"ARIAL.TTF"}}));
    EXPECT_EQ(log.Lines, std::vector<std::wstring>{FontInstalledLine(L"Wide Name")});
}

// Without rights to the machine's fonts (a standard token under UAC; here a
// fonts folder that cannot be written), the fonts go to the user's own folder
// and key, registered by full path; where Windows has no per-user fonts, one
// line says they were not installed. Wine runs as an administrator, so the
// machine's place is made unwritable by pointing at a folder that is not there.
TEST_F(FontsTest, WithoutRightsFontsGoToTheUserOrOneLineSaysWhy) {
    const std::wstring noMachine = FRoot + L"no-such-fonts\\";
    const std::wstring user = FRoot + L"Local\\Microsoft\\Windows\\Fonts\\";
    CreateDirectoryW((FRoot + L"Local").c_str(), nullptr);
    CreateDirectoryW((FRoot + L"Local\\Microsoft").c_str(), nullptr);
    ASSERT_FALSE(MachineFontsWritable(noMachine));
    ASSERT_TRUE(MachineFontsWritable(FFonts));

    {
        TRecorder log;
        InstallFontsWhereAllowed(log, FSource, noMachine, user, false, StreamCopyFile);
        EXPECT_EQ(log.Lines, std::vector<std::wstring>{FontsNotInstalledLine});
        EXPECT_EQ(GetFileAttributesW(user.c_str()), INVALID_FILE_ATTRIBUTES);
    }

    RegDeleteTreeW(HKEY_CURRENT_USER, FontsKey);
    TRecorder log;
    InstallFontsWhereAllowed(log, FSource, noMachine, user, true, StreamCopyFile);
    EXPECT_EQ(log.Lines.size(), 7u);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, FontsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    wchar_t data[MAX_PATH] = {};
    DWORD bytes = sizeof(data), type = 0;
    const LONG rc = RegQueryValueExW(key, (std::wstring(Names[0]) + L" (TrueType)").c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(data), &bytes);
    RegCloseKey(key);
    ASSERT_EQ(rc, ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(data), user + L"ARIAL.TTF");
    EXPECT_NE(GetFileAttributesW((user + L"verdana.TTF").c_str()), INVALID_FILE_ATTRIBUTES);
    // Nothing went to the machine's key.
    EXPECT_TRUE(NewValues().empty());
    RegDeleteTreeW(HKEY_CURRENT_USER, FontsKey);
}
