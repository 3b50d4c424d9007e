// The six wizard pages: the button table and the creation of each page's
// controls. Positions are in screen pixels inside the page area
// (InsatallPagesPlace); the layout is not scaled.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "app/CompositionPlan.h"
#include "app/ControlFrames.h"
#include "app/DrawnButtons.h"
#include "app/InfoPanel.h"
#include "app/InstallFolder.h"
#include "app/Main.h"
#include "platform/ContainerWindow.h"
#include "platform/AppError.h"
#include "platform/Gdi.h"
#include "platform/WinUtil.h"
#include "resources/ids.h"

namespace {

constexpr int PageW = InsatallPagesPlace.Width;
constexpr int PageH = InsatallPagesPlace.Height;
constexpr int Margin = 8;
constexpr int BarH = 44;                    // button bar along the bottom edge
constexpr int BtnW = 100, BtnH = 28;
constexpr int BtnY = PageH - BarH + (BarH - BtnH) / 2;
constexpr int ContentH = PageH - BarH - Margin;  // height above the bar
constexpr int PathStripH = 32, SelectW = 91;
constexpr int PathStripW = PageW - 2 * Margin;
constexpr int InstallW = 168, ChangeW = 196;

// Places in the button bar: at the left edge, at the right edge, and second
// from the right beside a right-hand button of the given width.
constexpr TPlanRect Left = {Margin, BtnY, BtnW, BtnH};
constexpr TPlanRect RightWide(int w) { return {PageW - Margin - w, BtnY, w, BtnH}; }
constexpr TPlanRect Right = RightWide(BtnW);
constexpr TPlanRect SecondFromRight(int rightW, int w = BtnW) { return {PageW - Margin - rightW - 8 - w, BtnY, w, BtnH}; }

constexpr COLORREF Navy = RGB(0, 0, 128);
constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF Maroon = RGB(128, 0, 0);

// Memo lines are joined with CR LF, as a multi-line edit control holds them.
std::wstring Lines(std::initializer_list<const wchar_t*> lines) {
    std::wstring text;
    bool first = true;
    for (const wchar_t* line : lines) {
        if (!first) text += L"\r\n";
        text += line;
        first = false;
    }
    return text;
}

// Height of a multi-line edit's text when wrapped at the given width.
int TextHeight(HWND memo, int width) {
    const int len = GetWindowTextLengthW(memo);
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    GetWindowTextW(memo, text.data(), len + 1);
    const TWindowDC dc(memo);
    const TSelectObject useFont(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(memo, WM_GETFONT, 0, 0)));
    RECT r = {0, 0, width - 8, 0};  // the edit control's own margins
    DrawTextW(dc.Get(), text.c_str(), len, &r, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    return r.bottom + 6;
}

using enum TPage;

constexpr TButtonSpec Buttons[] = {
    {Start, IDC_BTNCANCEL, L"Отмена", TGlyph::Cancel, Left, false, &TFMain::BtnCancelClick, false, true},
    {Start, IDC_BTNSTARTNEXT, L"Далее", TGlyph::Next, Right, false, &TFMain::BtnStartNextClick, true, false},
    {InputPath, IDC_BTNSELECTPATH, L"Выбрать", TGlyph::Folder,
     {PathStripW - SelectW - 2, 2, SelectW, PathStripH - 4}, true, &TFMain::BtnSelectPathClick, false, false},
    {InputPath, IDC_BTNCANCEL2, L"Отмена", TGlyph::Cancel, Left, false, &TFMain::BtnCancelClick, false, true},
    {InputPath, IDC_BTNINPUTPATHNEXT, L"Далее", TGlyph::Next, Right, false, &TFMain::BtnInputPathNextClick, true, false},
    {InputComponents, IDC_BTNCANCEL4, L"Отмена", TGlyph::Cancel, Left, false, &TFMain::BtnCancelClick, false, true},
    {InputComponents, IDC_BTNINPUTCOMPONENTSBACK, L"Назад", TGlyph::Back, SecondFromRight(InstallW), false,
     &TFMain::BtnInputComponentsBackClick, false, false},
    {InputComponents, IDC_BTNINSATALL, L"Начать установку", TGlyph::Install, RightWide(InstallW), false,
     &TFMain::BtnInsatallClick, true, false},
    {Progress, IDC_BTNEXIT, L"Выход", TGlyph::Exit, Right, false, &TFMain::BtnExitClick, true, true},
    {Cancel, IDC_BTNEXITCANCEL, L"Выход", TGlyph::Exit, Right, false, &TFMain::BtnExitClick, true, true},
    {ChangeFontSize, IDC_BTNCHANGEFONT, L"Изменить настройки", TGlyph::Font, SecondFromRight(BtnW, ChangeW), false,
     &TFMain::BtnChangeFontClick, true, false},
    {ChangeFontSize, IDC_BTNEXITONCHANGEFONT, L"Выход", TGlyph::Exit, Right, false, &TFMain::BtnExitClick, false,
     true},
};

}  // namespace

std::span<const TButtonSpec> MainButtons() { return Buttons; }

const TButtonSpec* ButtonSpecOf(int id) {
    for (const TButtonSpec& spec : Buttons)
        if (spec.Id == id) return &spec;
    return nullptr;
}

void TFMain::CreateButtons(TPage page) {
    for (const TButtonSpec& spec : Buttons) {
        if (spec.Page != page) continue;
        const TPlanRect& r = spec.Place;
        HWND button = CreateButton(ButtonParent(spec), spec.Id, spec.Caption, r.Left, r.Top, r.Width, r.Height);
        AttachDrawnButton(button);
    }
}

HWND TFMain::Page(TPage page) {
    HWND& window = FPages[static_cast<int>(page)];
    if (window) return window;
    window = CreateContainer(InsatallPages, IDC_TS_START + static_cast<int>(page), 0, 0, PageW, PageH, 0,
                             FInstance);
    if (!window) throw EAppError(L"Cannot create a page of the main window. " + SysErrorMessage(GetLastError()));
    switch (page) {
    case TPage::Start: CreatePageStart(window); break;
    case TPage::InputPath: CreatePageInputPath(window); break;
    case TPage::InputComponents: CreatePageInputComponents(window); break;
    case TPage::Progress: CreatePageProgress(window); break;
    case TPage::Cancel: CreatePageCancel(window); break;
    case TPage::ChangeFontSize: CreatePageChangeFontSize(window); break;
    }
    CreateButtons(page);
    // The way out of the progress page opens when the run lets the operator go.
    if (page == TPage::Progress) EnableWindow(ButtonOf(IDC_BTNEXIT), FALSE);
    return window;
}

HWND TFMain::CreateButton(HWND parent, int id, const wchar_t* caption, int x, int y, int w, int h) {
    HWND button = CreateWindowExW(0, L"BUTTON", caption,
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, x, y, w, h,
                                  parent, reinterpret_cast<HMENU>(INT_PTR(id)), FInstance, nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(FFontPages.Get()), FALSE);
    return button;
}

HWND TFMain::CreateMemo(HWND parent, int id, const std::wstring& text, int x, int y, int w, int h,
                        HFONT font, COLORREF color) {
    HWND memo = CreateWindowExW(0, L"EDIT", L"",
                                WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                                x, y, w, h, parent, reinterpret_cast<HMENU>(INT_PTR(id)), FInstance,
                                nullptr);
    SendMessageW(memo, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowTextW(memo, text.c_str());
    SetPropW(memo, L"TextColor", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(color)));
    return memo;
}

void TFMain::CreatePageStart(HWND page) {
    CreateMemo(page, IDC_MEMOSTART,
                           Lines({L"Добро пожаловать в программу установки комплекса ",
                                  L"\"ВЕЛИТОР-DUZERA\"!",
                                  L"",
                                  L"Для продолжения установки, нажмите кнопку \"Далее\".",
                                  L"",
                                  L"Для выхода из программы установки нажмите кнопку \"Отмена\"."}),
                           Margin, Margin, PageW - 2 * Margin, ContentH - Margin, FFontTimes.Get(), Navy);
}

void TFMain::CreatePageInputPath(HWND page) {
    HWND memo = CreateMemo(
        page, IDC_MEMOINPUTPATH,
        Lines({L"Пожалуйста, задайте путь куда устанавливать программную часть ",
               L"комплекса \"Велитор-Vudeze\""}),
        Margin, Margin, PageW - 2 * Margin, 60, FFontTimes.Get(), Black);
    // 60 px hold the two lines only where the first one fits the page's width;
    // with the fonts at hand it wraps, so the memo grows to show the whole text.
    const int memoH = std::max(60, TextHeight(memo, PageW - 2 * Margin));
    SetWindowPos(memo, nullptr, 0, 0, PageW - 2 * Margin, memoH,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    const int stripY = Margin + memoH + 8;
    PnlPath = CreateContainer(page, IDC_PNLPATH, Margin, stripY, PathStripW, PathStripH, WS_VISIBLE, FInstance);
    AttachPathStrip(PnlPath, FPanelColor);
    ePath = CreateWindowExW(0, L"EDIT", DefaultInstallFolder().c_str(),
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 2, 2,
                            PathStripW - SelectW - 6, PathStripH - 4, PnlPath,
                            reinterpret_cast<HMENU>(INT_PTR(IDC_EPATH)), FInstance, nullptr);
    SendMessageW(ePath, WM_SETFONT, reinterpret_cast<WPARAM>(FFontPages.Get()), FALSE);
    AttachFlatFrame(ePath, GetSysColor(COLOR_BTNFACE));
}

void TFMain::CreatePageInputComponents(HWND page) {
    constexpr int PanelH = 123;
    const int panelY = PageH - BarH - PanelH;
    CreateMemo(
        page, IDC_MEMOINPUTCOMPONENTS,
        Lines({L" - Если у Вас есть 2-х канальный кабель для регистрации детских ЭКГ, поставьте ",
               L"галочку в поле \"Регистрация 2-х канальной ЭКГ\".",
               L" - Если у Вас есть универсальный регистратор, поставьте галочку в поле ",
               L"\"Универсальный регистратор\".",
               L" - Если у Вас установлен монитор АД \"BPLab\", поставьте галочку в поле \"установлен ",
               L"монитор АД \"BPLab\"\".",
               L"",
               L" - Задайте, пожалуйста, тип ЭКГ, который Вы чаще всего будете регистрировать.",
               L"",
               L" - Нажмите кнопку \"Начать установку\", для того чтобы установить программное ",
               L"обеспечение на Ваш компъютер.",
               L"",
               L"Все настройки можно изменить позже, во время работы с программой ",
               L"\"Велитор-Vudeze\" в меню \"Настройки\"."}),
        Margin, Margin, PageW - 2 * Margin, panelY - 2 * Margin, FFontPages.Get(), Black);

    HWND RzPanel13 = CreateContainer(page, IDC_RZPANEL13, Margin, panelY, PageW - 2 * Margin, PanelH - 4,
                                     WS_VISIBLE, FInstance);
    CbDriverInstal = CreateWindowExW(0, L"BUTTON", L"Устанавливать драйвер",
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 16, 16,
                                     300, 24, RzPanel13,
                                     reinterpret_cast<HMENU>(INT_PTR(IDC_CBDRIVERINSTAL)), FInstance,
                                     nullptr);
    SendMessageW(CbDriverInstal, WM_SETFONT, reinterpret_cast<WPARAM>(FFontPages.Get()), FALSE);
    SendMessageW(CbDriverInstal, BM_SETCHECK, BST_CHECKED, 0);

    // The engine runtime set; never shown, so its selection stays on the first item.
    // A simple combo box keeps its list as a child: a drop-down one would make
    // a pop-up window for its list at every start, for a list nobody opens.
    CBWindows = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_SIMPLE, 16, 56, 250, 120,
                                RzPanel13, reinterpret_cast<HMENU>(INT_PTR(IDC_CBWINDOWS)), FInstance,
                                nullptr);
    SendMessageW(CBWindows, WM_SETFONT, reinterpret_cast<WPARAM>(FFontPages.Get()), FALSE);
    SendMessageW(CBWindows, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Windows 7, Windows 8"));
    SendMessageW(CBWindows, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Windows XP"));
    SendMessageW(CBWindows, CB_SETCURSEL, 0, 0);

}

void TFMain::CreatePageProgress(HWND page) {
    LogList = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                              WS_CHILD | WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT |
                                  LBS_NOTIFY,
                              Margin, Margin, PageW - 2 * Margin, ContentH - Margin, page,
                              reinterpret_cast<HMENU>(INT_PTR(IDC_LOGLIST)), FInstance, nullptr);
    SendMessageW(LogList, WM_SETFONT, reinterpret_cast<WPARAM>(FFontPages.Get()), FALSE);
    SendMessageW(LogList, LB_SETITEMHEIGHT, 0, 18);
    AttachFlatFrame(LogList, GetSysColor(COLOR_BTNSHADOW));
    // How far the database copy has come; shown only while a long copy runs.
    constexpr int BarHeight = 18;
    CopyProgressBar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | PBS_SMOOTH, Margin,
                                      BtnY + (BtnH - BarHeight) / 2, PageW - 3 * Margin - BtnW, BarHeight,
                                      page, reinterpret_cast<HMENU>(INT_PTR(IDC_COPYPROGRESS)),
                                      FInstance, nullptr);
    SendMessageW(CopyProgressBar, PBM_SETRANGE32, 0, 1000);
}

void TFMain::CreatePageCancel(HWND page) {
    CreateMemo(page, IDC_MEMOCANCEL,
                            Lines({L"Установка комплекса \"Велитор-Vudeze\" отменена!", L"",
                                   L"Нажмите кнопку \"Выход\", для выхода из программы установки."}),
                            Margin, Margin, PageW - 2 * Margin, 177, FFontTimes.Get(), Maroon);
}

void TFMain::CreatePageChangeFontSize(HWND page) {
    CreateMemo(
        page, IDC_MEMOCHANGEFONTSIZE,
        Lines({L"В настройках операционной системы Вашего компьютера выбрано использование ",
               L"\"мелкого\" размера шрифта.",
               L"",
               L"Для корректной работы программы \"Велитор-Vudeze\" требуется использование ",
               L"\"крупного\" размера шрифта.",
               L"",
               L"Рекомендуется произвести изменения. Для этого надо нажать кнопку \"Изменить ",
               L"настройки\". В появившемся окне надо ответить \"Да\".",
               L"",
               L"Если Вы считаете, что установка \"крупного\" размера шрифта Вам не нужна, ",
               L"нажмите кнопку \"Выход\"."}),
        Margin, Margin, PageW - 2 * Margin, ContentH - Margin, FFontPages.Get(), Black);
}

void TFMain::CreateControls() {
    FFontDefault.Reset(MakeFont(L"MS Sans Serif", 13));
    FFontPages.Reset(MakeFont(L"Tahoma", 15));
    FFontTimes.Reset(MakeFont(L"Times New Roman", 20));

    InsatallPages = CreateContainer(FHandle, IDC_INSATALLPAGES, InsatallPagesPlace.Left, InsatallPagesPlace.Top,
                                    PageW, PageH, WS_VISIBLE | WS_CLIPCHILDREN, FInstance);
    SendMessageW(InsatallPages, WM_SETFONT, reinterpret_cast<WPARAM>(FFontPages.Get()), FALSE);
}
