// The folder field of the path page with what operators really type: every entry
// ends in a message or a silent move on, never a crash or a hang.
#include "WizardFixture.h"

#include <commctrl.h>

#include <algorithm>

namespace {


class PathInput : public wizard::TWizardTest {
protected:
    // The entry is accepted: components page (after the warning), edit box normalised.
    void ExpectAccepted(const std::wstring& typed, const std::wstring& shown) {
        SCOPED_TRACE(gui::Visible(typed));
        ASSERT_NO_FATAL_FAILURE(EnterPath(typed));
        EXPECT_EQ(gui::Narrow(shown), gui::Narrow(app().Text(IDC_EPATH)));
        EXPECT_EQ(nullptr, app().FindMessageBox()) << "unexpected message";
        EXPECT_TRUE(app().Responsive());
        // Back for the next entry.
        ASSERT_TRUE(app().Click(IDC_BTNINPUTCOMPONENTSBACK));
        ASSERT_TRUE(app().WaitPage(IDC_TS_INPUTPATH));
    }

    void ExpectRoot(const std::wstring& typed, const std::wstring& shown) {
        SCOPED_TRACE(gui::Visible(typed));
        ASSERT_NO_FATAL_FAILURE(ExpectRejected(typed, RootFolderText));
        EXPECT_EQ(gui::Narrow(shown), gui::Narrow(app().Text(IDC_EPATH)));
        EXPECT_TRUE(app().Responsive());
    }

    // A drive letter that this machine does not have.
    static std::wstring MissingDrive() {
        const DWORD drives = GetLogicalDrives();
        for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter)
            if (!(drives & (1u << (letter - L'A')))) return std::wstring(1, letter) + L":";
        return {};
    }
};

TEST_F(PathInput, EmptyBlanksAndControlCharactersAskForAPath) {
    ASSERT_NO_FATAL_FAILURE(ToPathPage());
    for (const std::wstring& typed : {std::wstring(), std::wstring(L"     "),
                                     std::wstring(L"\t\x01\x1F \x0B\r\n")}) {
        SCOPED_TRACE(gui::Visible(typed));
        ASSERT_NO_FATAL_FAILURE(ExpectRejected(typed, NoPathText));
        EXPECT_TRUE(app().Responsive());
    }
}

TEST_F(PathInput, RootFoldersAreRefusedHoweverSpelledAndShownCanonical) {
    ASSERT_NO_FATAL_FAILURE(ToPathPage());
    ExpectRoot(L"C:", L"C:\\");
    ExpectRoot(L"C:\\", L"C:\\");
    ExpectRoot(L"D:\\", L"D:\\");
    ExpectRoot(L"  \tC:\\ \r\n", L"C:\\");
    ExpectRoot(L"C:/", L"C:\\");
    ExpectRoot(L"C:\\.", L"C:\\");
    ExpectRoot(L"C:\\x\\..", L"C:\\");
    ExpectRoot(L"C:\\\\", L"C:\\");
    // Rooted: the root of the drive the program runs from.
    ExpectRoot(L"\\", Dist.Folder().substr(0, 3));
    EXPECT_FALSE(gui::DirectoryExists(L"C:\\x"));
    EXPECT_FALSE(gui::FileExists(L"C:\\Settings"));
}

TEST_F(PathInput, AcceptedFolderIsTrimmedCreatedWithItsSettingsFolder) {
    ASSERT_NO_FATAL_FAILURE(ToPathPage());
    const std::wstring target = Dist.Root() + L"Target";
    ExpectAccepted(L"\t \x01" + target + L"  \x1F", target + L"\\");
    EXPECT_TRUE(gui::DirectoryExists(target));
    EXPECT_TRUE(gui::DirectoryExists(target + L"\\Settings"));

    // A drive-root child: C:\A becomes C:\A\.
    ExpectAccepted(L"C:\\A", L"C:\\A\\");
    EXPECT_TRUE(gui::DirectoryExists(L"C:\\A\\Settings"));

    // Cyrillic letters and blanks inside the name, forward slashes as separators.
    const std::wstring cyrillic = Dist.Root() + L"Папка установки";
    ExpectAccepted(cyrillic, cyrillic + L"\\");
    EXPECT_TRUE(gui::DirectoryExists(cyrillic + L"\\Settings"));
    std::wstring slashed = Dist.Root() + L"Slashed";
    for (auto& c : slashed)
        if (c == L'\\') c = L'/';
    ExpectAccepted(slashed, Dist.Root() + L"Slashed\\");
    EXPECT_TRUE(gui::DirectoryExists(Dist.Root() + L"Slashed\\Settings"));

    // Entered a second time, the existing folders are simply kept.
    ExpectAccepted(target + L"\\", target + L"\\");
    EXPECT_TRUE(gui::DirectoryExists(target + L"\\Settings"));
}

TEST_F(PathInput, RelativeEntryLandsBesideTheProgramWhereverItWasStarted) {
    // Started with a current folder elsewhere, as from a shortcut.
    const std::wstring elsewhere = Dist.MakeScratchFolder(L"elsewhere");
    ASSERT_NO_FATAL_FAILURE(Start(elsewhere));
    ASSERT_TRUE(app().Click(IDC_BTNSTARTNEXT));
    ASSERT_TRUE(app().WaitPage(IDC_TS_INPUTPATH));
    // Shown as the folder it is, so it keeps meaning that folder.
    ExpectAccepted(L"ABC", Dist.Folder() + L"ABC\\");
    EXPECT_TRUE(gui::DirectoryExists(Dist.Folder() + L"ABC"));
    EXPECT_TRUE(gui::DirectoryExists(Dist.Folder() + L"ABC\\Settings"));
    EXPECT_FALSE(gui::DirectoryExists(elsewhere + L"ABC"));
}

TEST_F(PathInput, MissingParentsAreCreatedAndImpossibleFoldersRefused) {
    ASSERT_NO_FATAL_FAILURE(ToPathPage());
    const std::wstring root = Dist.Root();

    // Parent missing: every level is created.
    ExpectAccepted(root + L"NoParent\\Child", root + L"NoParent\\Child\\");
    EXPECT_TRUE(gui::DirectoryExists(root + L"NoParent\\Child\\Settings"));

    // 300 characters: longer than any folder name may be.
    const std::wstring longPath = root + std::wstring(300 - root.size(), L'x');
    ASSERT_NO_FATAL_FAILURE(ExpectRejected(longPath, L"Недопустимый каталог: " + longPath));
    // A folder, but too deep for the driver installer's command line (255).
    const std::wstring deep = root + std::wstring(230 - root.size(), L'd');
    ASSERT_NO_FATAL_FAILURE(ExpectRejected(
        deep, L"Слишком длинный путь установки (231 символов): командная строка программы установки драйвера "
              L"будет длиннее 255 символов. Выберите путь не длиннее 214 символов."));

    // Characters no file name may hold.
    ASSERT_NO_FATAL_FAILURE(ExpectRejected(root + L"a|b", L"Недопустимый каталог: " + root + L"a|b"));
    ASSERT_NO_FATAL_FAILURE(ExpectRejected(root + L"say \"hi\"", L"Недопустимый каталог: " + root + L"say \"hi\""));

    // A drive this machine does not have.
    const std::wstring drive = MissingDrive();
    ASSERT_FALSE(drive.empty());
    ASSERT_NO_FATAL_FAILURE(ExpectRejected(drive + L"\\Folder", L"Нет такого диска: " + drive + L"\\Folder\\"));

    // Nothing was created for a refused folder.
    WIN32_FIND_DATAW fd{};
    HANDLE find = FindFirstFileW((root + L"*").c_str(), &fd);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    std::vector<std::wstring> names;
    do {
        if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L"..")) names.push_back(fd.cFileName);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"NoParent", L"media"}));
}

TEST_F(PathInput, FolderBrowserCancelledKeepsTheEntry) {
    ASSERT_NO_FATAL_FAILURE(ToPathPage());
    const std::wstring typed = L"  D:\\Typed  ";
    ASSERT_TRUE(app().Type(IDC_EPATH, typed));
    ASSERT_TRUE(app().Click(IDC_BTNSELECTPATH));
    HWND browser = app().WaitFolderBrowser();
    ASSERT_NE(nullptr, browser);
    EXPECT_NE(std::wstring::npos,
              gui::DialogText(browser).find(L"Выберете путь для установки программ"))
        << gui::Narrow(gui::DialogText(browser));
    EXPECT_FALSE(IsWindowEnabled(app().MainWindow())) << "the browser is modal";
    ASSERT_TRUE(app().Answer(browser, IDCANCEL));
    ASSERT_TRUE(gui::WaitUntil([&] { return !IsWindow(browser); }));
    EXPECT_EQ(IDC_TS_INPUTPATH, app().VisiblePage());
    EXPECT_EQ(gui::Narrow(typed), gui::Narrow(app().Text(IDC_EPATH)));
}

TEST_F(PathInput, FolderBrowserConfirmedFillsTheEntry) {
    ASSERT_NO_FATAL_FAILURE(ToPathPage());
    ASSERT_TRUE(app().Type(IDC_EPATH, L"before"));
    ASSERT_TRUE(app().Click(IDC_BTNSELECTPATH));
    HWND browser = app().WaitFolderBrowser();
    ASSERT_NE(nullptr, browser);
    // Take the first folder of the tree that is a file-system folder (OK enabled).
    HWND tree = gui::FindChildByClass(browser, L"SysTreeView32");
    ASSERT_NE(nullptr, tree);
    HWND ok = GetDlgItem(browser, IDOK);
    auto send = [&](UINT msg, WPARAM w, DWORD_PTR l) {
        DWORD_PTR r = 0;
        SendMessageTimeoutW(tree, msg, w, static_cast<LPARAM>(l), SMTO_ABORTIFHUNG, 5000, &r);
        return r;
    };
    bool selectable = false;
    for (DWORD_PTR item = send(TVM_GETNEXTITEM, TVGN_ROOT, 0); item && !selectable;) {
        send(TVM_SELECTITEM, TVGN_CARET, item);
        selectable = gui::WaitUntil([&] { return IsWindowEnabled(ok) != FALSE; }, 1000);
        if (selectable) break;
        send(TVM_EXPAND, TVE_EXPAND, item);
        DWORD_PTR next = send(TVM_GETNEXTITEM, TVGN_CHILD, item);
        if (!next) next = send(TVM_GETNEXTITEM, TVGN_NEXT, item);
        item = next;
    }
    ASSERT_TRUE(selectable) << "no file-system folder in the browser";
    ASSERT_TRUE(app().Answer(browser, IDOK));
    ASSERT_TRUE(gui::WaitUntil([&] { return !IsWindow(browser); }));
    EXPECT_EQ(IDC_TS_INPUTPATH, app().VisiblePage());
    const std::wstring chosen = app().Text(IDC_EPATH);
    EXPECT_NE("before", gui::Narrow(chosen));
    EXPECT_TRUE(gui::DirectoryExists(chosen)) << gui::Narrow(chosen);
}

}  // namespace
