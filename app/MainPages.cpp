// Creation of the six wizard pages and their controls. Positions are in screen
// pixels inside the page area (InsatallPagesPlace); the layout is not scaled.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "app/CompositionPlan.h"
#include "app/ControlFrames.h"
#include "app/DrawnButtons.h"
#include "app/InfoPanel.h"
#include "app/Main.h"
#include "platform/Gdi.h"
#include "resources/ids.h"

namespace {

constexpr int PageW = InsatallPagesPlace.Width;
constexpr int PageH = InsatallPagesPlace.Height;
constexpr int Margin = 8;
constexpr int BarH = 44;                    // button bar along the bottom edge
constexpr int BtnW = 100, BtnH = 28;
constexpr int BtnY = PageH - BarH + (BarH - BtnH) / 2;
constexpr int ContentH = PageH - BarH - Margin;  // height above the bar

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

}  // namespace

HWND TFMain::CreatePage(int id) {
    return CreateWindowExW(WS_EX_CONTROLPARENT, L"TTabSheet", L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0,
                           PageW, PageH, InsatallPages, reinterpret_cast<HMENU>(INT_PTR(id)),
                           FInstance, this);
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

void TFMain::CreatePageStart() {
    tsStart = CreatePage(IDC_TS_START);
    MemoStart = CreateMemo(tsStart, IDC_MEMOSTART,
                           Lines({L"Добро пожаловать в программу установки комплекса ",
                                  L"\"ВЕЛИТОР-DUZERA\"!",
                                  L"",
                                  L"Для продолжения установки, нажмите кнопку \"Далее\".",
                                  L"",
                                  L"Для выхода из программы установки нажмите кнопку \"Отмена\"."}),
                           Margin, Margin, PageW - 2 * Margin, ContentH - Margin, FFontTimes.Get(), Navy);
    BtnCancel = CreateButton(tsStart, IDC_BTNCANCEL, L"Отмена", Margin, BtnY, BtnW, BtnH);
    BtnStartNext = CreateButton(tsStart, IDC_BTNSTARTNEXT, L"Далее", PageW - Margin - BtnW, BtnY,
                                BtnW, BtnH);
}

void TFMain::CreatePageInputPath() {
    tsInputPath = CreatePage(IDC_TS_INPUTPATH);
    MemoInputPath = CreateMemo(
        tsInputPath, IDC_MEMOINPUTPATH,
        Lines({L"Пожалуйста, задайте путь куда устанавливать программную часть ",
               L"комплекса \"Велитор-Vudeze\""}),
        Margin, Margin, PageW - 2 * Margin, 60, FFontTimes.Get(), Black);
    // 60 px hold the two lines only where the first one fits the page's width;
    // with the fonts at hand it wraps, so the memo grows to show the whole text.
    const int memoH = std::max(60, TextHeight(MemoInputPath, PageW - 2 * Margin));
    SetWindowPos(MemoInputPath, nullptr, 0, 0, PageW - 2 * Margin, memoH,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    const int StripY = Margin + memoH + 8;
    constexpr int StripH = 32, SelectW = 91;
    PnlPath = CreateWindowExW(WS_EX_CONTROLPARENT, L"TPanel", L"", WS_CHILD | WS_VISIBLE, Margin,
                              StripY, PageW - 2 * Margin, StripH, tsInputPath,
                              reinterpret_cast<HMENU>(INT_PTR(IDC_PNLPATH)), FInstance, this);
    const int stripW = PageW - 2 * Margin;
    ePath = CreateWindowExW(0, L"EDIT", L"c:\\Rudeve",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 2, 2,
                            stripW - SelectW - 6, StripH - 4, PnlPath,
                            reinterpret_cast<HMENU>(INT_PTR(IDC_EPATH)), FInstance, nullptr);
    SendMessageW(ePath, WM_SETFONT, reinterpret_cast<WPARAM>(FFontPages.Get()), FALSE);
    BtnSelectPath = CreateButton(PnlPath, IDC_BTNSELECTPATH, L"Выбрать", stripW - SelectW - 2, 2,
                                 SelectW, StripH - 4);

    BtnCancel2 = CreateButton(tsInputPath, IDC_BTNCANCEL2, L"Отмена", Margin, BtnY, BtnW, BtnH);
    BtnInputPathNext = CreateButton(tsInputPath, IDC_BTNINPUTPATHNEXT, L"Далее",
                                    PageW - Margin - BtnW, BtnY, BtnW, BtnH);
}

void TFMain::CreatePageInputComponents() {
    tsInputComponents = CreatePage(IDC_TS_INPUTCOMPONENTS);
    constexpr int PanelH = 123;
    const int panelY = PageH - BarH - PanelH;
    MemoInputComponents = CreateMemo(
        tsInputComponents, IDC_MEMOINPUTCOMPONENTS,
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

    RzPanel13 = CreateWindowExW(WS_EX_CONTROLPARENT, L"TPanel", L"", WS_CHILD | WS_VISIBLE, Margin,
                                panelY, PageW - 2 * Margin, PanelH - 4, tsInputComponents,
                                reinterpret_cast<HMENU>(INT_PTR(IDC_RZPANEL13)), FInstance, this);
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

    constexpr int InstallW = 168;
    BtnCancel4 = CreateButton(tsInputComponents, IDC_BTNCANCEL4, L"Отмена", Margin, BtnY, BtnW, BtnH);
    BtnInsatall = CreateButton(tsInputComponents, IDC_BTNINSATALL, L"Начать установку",
                               PageW - Margin - InstallW, BtnY, InstallW, BtnH);
    BtnInputComponentsBack =
        CreateButton(tsInputComponents, IDC_BTNINPUTCOMPONENTSBACK, L"Назад",
                     PageW - Margin - InstallW - 8 - BtnW, BtnY, BtnW, BtnH);
    // Tab order follows creation order: put Back before the start button.
    SetWindowPos(BtnInputComponentsBack, BtnCancel4, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TFMain::CreatePageProgress() {
    tsProgressInstall = CreatePage(IDC_TS_PROGRESSINSTALL);
    LogList = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                              WS_CHILD | WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT |
                                  LBS_NOTIFY,
                              Margin, Margin, PageW - 2 * Margin, ContentH - Margin, tsProgressInstall,
                              reinterpret_cast<HMENU>(INT_PTR(IDC_LOGLIST)), FInstance, nullptr);
    SendMessageW(LogList, WM_SETFONT, reinterpret_cast<WPARAM>(FFontPages.Get()), FALSE);
    SendMessageW(LogList, LB_SETITEMHEIGHT, 0, 18);
    BtnExit = CreateButton(tsProgressInstall, IDC_BTNEXIT, L"Выход", PageW - Margin - BtnW, BtnY,
                           BtnW, BtnH);
    // How far the database copy has come; shown only while a long copy runs.
    constexpr int BarHeight = 18;
    CopyProgressBar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | PBS_SMOOTH, Margin,
                                      BtnY + (BtnH - BarHeight) / 2, PageW - 3 * Margin - BtnW, BarHeight,
                                      tsProgressInstall, reinterpret_cast<HMENU>(INT_PTR(IDC_COPYPROGRESS)),
                                      FInstance, nullptr);
    SendMessageW(CopyProgressBar, PBM_SETRANGE32, 0, 1000);
}

void TFMain::CreatePageCancel() {
    tsCancel = CreatePage(IDC_TS_CANCEL);
    MemoCancel = CreateMemo(tsCancel, IDC_MEMOCANCEL,
                            Lines({L"Установка комплекса \"Велитор-Vudeze\" отменена!", L"",
                                   L"Нажмите кнопку \"Выход\", для выхода из программы установки."}),
                            Margin, Margin, PageW - 2 * Margin, 177, FFontTimes.Get(), Maroon);
    BtnExitCancel = CreateButton(tsCancel, IDC_BTNEXITCANCEL, L"Выход", PageW - Margin - BtnW, BtnY,
                                 BtnW, BtnH);
}

void TFMain::CreatePageChangeFontSize() {
    tsChangeFontSize = CreatePage(IDC_TS_CHANGEFONTSIZE);
    MemoChangeFontSize = CreateMemo(
        tsChangeFontSize, IDC_MEMOCHANGEFONTSIZE,
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
    constexpr int ChangeW = 196;
    BtnChangeFont = CreateButton(tsChangeFontSize, IDC_BTNCHANGEFONT, L"Изменить настройки",
                                 PageW - Margin - BtnW - 8 - ChangeW, BtnY, ChangeW, BtnH);
    BtnExitOnChangefont = CreateButton(tsChangeFontSize, IDC_BTNEXITONCHANGEFONT, L"Выход",
                                       PageW - Margin - BtnW, BtnY, BtnW, BtnH);
}

void TFMain::CreateControls() {
    FFontDefault.Reset(MakeFont(L"MS Sans Serif", 13));
    FFontPages.Reset(MakeFont(L"Tahoma", 15));
    FFontTimes.Reset(MakeFont(L"Times New Roman", 20));

    BG = CreateWindowExW(0, L"TImage", L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 954, 579,
                         FHandle, reinterpret_cast<HMENU>(INT_PTR(IDC_BG)), FInstance, this);
    RichEdit1 = CreateInfoPanel(FHandle, IDC_RICHEDIT1, FInstance);
    InsatallPages = CreateWindowExW(WS_EX_CONTROLPARENT, L"TPageControl", L"",
                                    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                    InsatallPagesPlace.Left, InsatallPagesPlace.Top, PageW, PageH, FHandle,
                                    reinterpret_cast<HMENU>(INT_PTR(IDC_INSATALLPAGES)), FInstance,
                                    this);
    SendMessageW(InsatallPages, WM_SETFONT, reinterpret_cast<WPARAM>(FFontPages.Get()), FALSE);
    // Panels lie above the paint area.
    SetWindowPos(BG, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    CreatePageStart();
    CreatePageInputPath();
    CreatePageInputComponents();
    CreatePageProgress();
    CreatePageCancel();
    CreatePageChangeFontSize();
}

void TFMain::ApplyLook() {
    SetInfoPanelColor(RichEdit1, FPanelColor);
    for (HWND b : {BtnCancel, BtnStartNext, BtnCancel2, BtnInputPathNext, BtnCancel4,
                   BtnInputComponentsBack, BtnInsatall, BtnExit, BtnExitCancel, BtnChangeFont,
                   BtnExitOnChangefont, BtnSelectPath})
        AttachDrawnButton(b);
    AttachFlatFrame(ePath, GetSysColor(COLOR_BTNFACE));
    AttachFlatFrame(LogList, GetSysColor(COLOR_BTNSHADOW));
    AttachPathStrip(PnlPath, FPanelColor);
}
