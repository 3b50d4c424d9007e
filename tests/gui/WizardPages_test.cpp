// What each page shows, read from outside by control id and class: the initial
// state of the wizard, which page each control sits on, what tells the pages
// apart, and the controls' kinds.
#include <atomic>
#include <thread>
#include <utility>
#include <vector>

#include "WizardFixture.h"

namespace {

using wizard::HasVisibleStyle;

class WizardPages : public wizard::TWizardTest {
protected:
    // Text of a control, compared as UTF-8 with CR and LF made visible.
    std::string TextOf(int id) { return gui::Visible(app().Text(id)); }

    void ExpectControl(int id, const wchar_t* className, const std::wstring& text) {
        HWND w = app().Control(id);
        ASSERT_NE(nullptr, w) << "no control with id " << id;
        EXPECT_EQ(0, _wcsicmp(className, gui::ClassNameOf(w).c_str()))
            << "id " << id << " is a " << gui::Narrow(gui::ClassNameOf(w));
        EXPECT_EQ(gui::Visible(text), TextOf(id)) << "id " << id;
    }

    // A memo: multi-line, read-only edit control with exactly these lines.
    void ExpectMemo(int id, const std::wstring& text) {
        ExpectControl(id, L"Edit", text);
        const LONG style = GetWindowLongW(app().Control(id), GWL_STYLE);
        EXPECT_TRUE(style & ES_MULTILINE) << "id " << id;
        EXPECT_TRUE(style & ES_READONLY) << "id " << id;
    }

    // The page holding a control, whatever panels lie between them.
    HWND PageOf(int id) {
        for (HWND w = app().Control(id); w; w = GetParent(w)) {
            const int pid = GetDlgCtrlID(w);
            if (pid >= IDC_TS_START && pid <= IDC_TS_CHANGEFONTSIZE &&
                GetParent(w) == app().Control(IDC_INSATALLPAGES))
                return w;
        }
        return nullptr;
    }
};

TEST_F(WizardPages, StartsOnTheStartPageWithItsDefaults) {
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ("Установка комплекса", gui::Narrow(gui::WindowText(app().MainWindow())));
    RECT client{};
    GetClientRect(app().MainWindow(), &client);
    EXPECT_EQ(954, client.right);
    EXPECT_EQ(579, client.bottom);

    // Exactly the start page is shown. What it does not show follows it: the
    // other five pages, hidden in the page area, the information document in
    // its panel and the hidden launch-progress window.
    EXPECT_EQ(IDC_TS_START, app().VisiblePage());
    EXPECT_TRUE(gui::WaitUntil([&] { return app().Control(IDC_TS_CHANGEFONTSIZE) != nullptr; }));
    for (int page = IDC_TS_START; page <= IDC_TS_CHANGEFONTSIZE; ++page) {
        HWND w = app().Control(page);
        ASSERT_NE(nullptr, w) << "page " << page;
        EXPECT_EQ(app().Control(IDC_INSATALLPAGES), GetParent(w)) << "page " << page;
    }
    EXPECT_EQ(IDC_TS_START, app().VisiblePage());

    // The default folder is C:\ and the folder word of the string table.
    EXPECT_EQ("C:\\Rudeve", gui::Narrow(app().Text(IDC_EPATH)));
    EXPECT_EQ(BST_CHECKED, app().CheckState(IDC_CBDRIVERINSTAL));
    EXPECT_FALSE(app().Enabled(IDC_BTNEXIT));
    EXPECT_FALSE(HasVisibleStyle(app().Control(IDC_LOGLIST)));
    EXPECT_EQ(0u, app().LogLines().size());
    EXPECT_EQ(nullptr, app().FindMessageBox());
    EXPECT_EQ(nullptr, app().FindMessageWindow());

    EXPECT_TRUE(gui::WaitUntil([&] {
        return gui::WindowText(app().Control(IDC_RICHEDIT1)).find(L"Велитор - Vudeze") != std::wstring::npos;
    })) << "information panel: " << gui::Narrow(gui::WindowText(app().Control(IDC_RICHEDIT1)));
    HWND waitRun = nullptr;
    EXPECT_TRUE(gui::WaitUntil([&] { return (waitRun = FindWindowW(L"TFWaitRun", nullptr)) != nullptr; }));
    DWORD owner = 0;
    GetWindowThreadProcessId(waitRun, &owner);
    EXPECT_EQ(app().Pid(), owner);
    EXPECT_FALSE(IsWindowVisible(waitRun));
}

// Each page says what it is for in a memo of its own, and its buttons say where
// they lead: a page shown in place of another, or a button swapped for another,
// shows here.
// A window of another program, clear of the wizard's, on a thread that reads
// its messages (the wizard's activation sends it some) and counts its paints.
class TBystander {
public:
    TBystander() {
        FThread = std::thread([this] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"WizardPagesBystander";
            RegisterClassW(&wc);
            HWND w = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"", WS_POPUP, 0, 0,
                                     40, 40, nullptr, nullptr, wc.hInstance, nullptr);
            ShowWindow(w, SW_SHOWNOACTIVATE);
            UpdateWindow(w);
            FWindow = w;
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        });
        while (!FWindow) Sleep(1);
    }
    ~TBystander() {
        PostMessageW(FWindow, WM_CLOSE, 0, 0);
        FThread.join();
    }
    HWND Window() const { return FWindow; }
    // Painted since it was first shown, or waiting to be painted again.
    bool Repainted() {
        SendMessageW(FWindow, WM_NULL, 0, 0);
        return Paints > 1 || GetUpdateRect(FWindow, nullptr, FALSE);
    }

private:
    static inline std::atomic<int> Paints{0};
    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_PAINT) ++Paints;
        if (msg == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(w, msg, wp, lp);
    }
    std::atomic<HWND> FWindow{nullptr};
    std::thread FThread;
};

TEST_F(WizardPages, StartingRepaintsNoOtherProgramsWindow) {
    TBystander bystander;
    ASSERT_NE(nullptr, bystander.Window());
    ASSERT_FALSE(bystander.Repainted());
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_FALSE(bystander.Repainted()) << "the wizard invalidated other programs' windows";
}

TEST_F(WizardPages, EachPageHasItsOwnTextAndButtonsThatSayWhereTheyLead) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const struct {
        int memo;
        const wchar_t* says;  // a phrase no other page's memo has
    } memos[] = {
        {IDC_MEMOSTART, L"Добро пожаловать в программу установки"},
        {IDC_MEMOINPUTPATH, L"задайте путь"},
        {IDC_MEMOINPUTCOMPONENTS, L"Начать установку"},
        {IDC_MEMOCANCEL, L"отменена!"},
        {IDC_MEMOCHANGEFONTSIZE, L"\"мелкого\" размера шрифта"},
    };
    for (const auto& m : memos) {
        ExpectMemo(m.memo, app().Text(m.memo));
        for (const auto& other : memos)
            EXPECT_EQ(&m == &other, app().Text(other.memo).find(m.says) != std::wstring::npos)
                << "memo " << other.memo << " and \"" << gui::Narrow(m.says) << "\"";
    }

    const struct {
        int id;
        const wchar_t* caption;
    } buttons[] = {
        {IDC_BTNCANCEL, L"Отмена"},          {IDC_BTNSTARTNEXT, L"Далее"},
        {IDC_BTNSELECTPATH, L"Выбрать"},     {IDC_BTNCANCEL2, L"Отмена"},
        {IDC_BTNINPUTPATHNEXT, L"Далее"},    {IDC_CBDRIVERINSTAL, L"Устанавливать драйвер"},
        {IDC_BTNCANCEL4, L"Отмена"},         {IDC_BTNINPUTCOMPONENTSBACK, L"Назад"},
        {IDC_BTNINSATALL, L"Начать установку"}, {IDC_BTNEXIT, L"Выход"},
        {IDC_BTNEXITCANCEL, L"Выход"},       {IDC_BTNCHANGEFONT, L"Изменить настройки"},
        {IDC_BTNEXITONCHANGEFONT, L"Выход"},
    };
    for (const auto& b : buttons) ExpectControl(b.id, L"Button", b.caption);
    EXPECT_EQ(BS_AUTOCHECKBOX, GetWindowLongW(app().Control(IDC_CBDRIVERINSTAL), GWL_STYLE) & BS_TYPEMASK);
    ExpectControl(IDC_EPATH, L"Edit", L"C:\\Rudeve");
    ExpectControl(IDC_LOGLIST, L"ListBox", L"");
}

TEST_F(WizardPages, ControlsSitOnTheirPages) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const struct {
        int page;
        std::initializer_list<int> controls;
    } layout[] = {
        {IDC_TS_START, {IDC_MEMOSTART, IDC_BTNCANCEL, IDC_BTNSTARTNEXT}},
        {IDC_TS_INPUTPATH,
         {IDC_MEMOINPUTPATH, IDC_EPATH, IDC_BTNSELECTPATH, IDC_BTNCANCEL2, IDC_BTNINPUTPATHNEXT}},
        {IDC_TS_INPUTCOMPONENTS,
         {IDC_MEMOINPUTCOMPONENTS, IDC_CBDRIVERINSTAL, IDC_CBWINDOWS, IDC_BTNCANCEL4,
          IDC_BTNINPUTCOMPONENTSBACK, IDC_BTNINSATALL}},
        {IDC_TS_PROGRESSINSTALL, {IDC_LOGLIST, IDC_BTNEXIT}},
        {IDC_TS_CANCEL, {IDC_MEMOCANCEL, IDC_BTNEXITCANCEL}},
        {IDC_TS_CHANGEFONTSIZE, {IDC_MEMOCHANGEFONTSIZE, IDC_BTNCHANGEFONT, IDC_BTNEXITONCHANGEFONT}},
    };
    for (const auto& p : layout)
        for (int id : p.controls)
            EXPECT_EQ(app().Control(p.page), PageOf(id)) << "control " << id << " on page " << p.page;

    // Every button is wide enough for its glyph (16 px and a 6 px gap) and its
    // caption at no less than 7 px a letter, lies inside its page and overlaps
    // no other button of the page.
    for (const auto& p : layout) {
        RECT page{};
        GetWindowRect(app().Control(p.page), &page);
        std::vector<std::pair<int, RECT>> buttons;
        for (int id : p.controls) {
            HWND control = app().Control(id);
            if (_wcsicmp(gui::ClassNameOf(control).c_str(), L"Button") != 0 ||
                (GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) != BS_OWNERDRAW)
                continue;
            RECT r{};
            GetWindowRect(control, &r);
            const auto letters = static_cast<long>(gui::WindowText(control).size());
            EXPECT_GE(r.right - r.left, 22 + 7 * letters) << "caption cut off: button " << id;
            EXPECT_TRUE(r.left >= page.left && r.top >= page.top && r.right <= page.right && r.bottom <= page.bottom)
                << "button " << id << " outside its page";
            for (const auto& [other, o] : buttons)
                EXPECT_TRUE(r.right <= o.left || o.right <= r.left || r.bottom <= o.top || o.bottom <= r.top)
                    << "buttons " << other << " and " << id << " overlap";
            buttons.emplace_back(id, r);
        }
    }

    // The folder strip: the edit box and "Выбрать" share it, the button at its right end.
    HWND edit = app().Control(IDC_EPATH), select = app().Control(IDC_BTNSELECTPATH);
    RECT re{}, rs{};
    GetWindowRect(edit, &re);
    GetWindowRect(select, &rs);
    EXPECT_EQ(GetParent(edit), GetParent(select));
    EXPECT_GE(rs.left, re.right);

    // The invisible engine-set choice: two items, the first selected.
    HWND combo = app().Control(IDC_CBWINDOWS);
    ASSERT_NE(nullptr, combo);
    EXPECT_EQ(0, _wcsicmp(L"ComboBox", gui::ClassNameOf(combo).c_str()));
    EXPECT_FALSE(HasVisibleStyle(combo));
    DWORD_PTR count = 0, selected = 99;
    SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
    SendMessageTimeoutW(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selected);
    EXPECT_EQ(2u, count);
    EXPECT_EQ(0u, selected);
    const wchar_t* items[] = {L"Windows 7, Windows 8", L"Windows XP"};
    for (WPARAM i = 0; i < 2; ++i) {
        wchar_t text[64] = {};
        SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 5000, nullptr);
        EXPECT_EQ(gui::Narrow(items[i]), gui::Narrow(text));
    }
}

}  // namespace
