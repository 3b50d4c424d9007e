// The main window: its class, message dispatch, the painted background,
// navigation between pages, the keyboard, the close rule and the progress list.
#include "app/Main.h"

#include <commctrl.h>
#include <shlobj.h>

#include "app/Decoration.h"
#include "app/DrawnButtons.h"
#include "app/InfoPanel.h"
#include "app/InstallRun.h"
#include "app/InstallFolder.h"
#include "app/PathRules.h"
#include "install/FileHelpers.h"
#include "install/ProductStrings.h"
#include "platform/AppError.h"
#include "platform/ContainerWindow.h"
#include "platform/ErrorBox.h"
#include "platform/ShutdownBlock.h"
#include "platform/WinUtil.h"
#include "resources/ids.h"
#include "shared/VL_Common_Const.h"
#include "windows/ApplicationWindow.h"
#include "windows/MessageForm.h"

bool ProductVariantFlag = false;
TFMain* FMain = nullptr;

namespace {
constexpr UINT_PTR CompleteTimer = 1;
}


TFMain::TFMain() = default;

TFMain::~TFMain() {
    DestroyHandle();
    if (FMain == this) FMain = nullptr;
}

void TFMain::RegisterClasses(HINSTANCE instance) {
    TWindowClassSpec main{ClassName()};
    main.Icon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    main.SmallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), 0));
    main.Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterWindowClass(instance, main);
    // The page area, its pages and the framed strips pass commands and colour
    // requests up to this window.
    RegisterContainerClass(instance);
}

HFONT TFMain::MakeFont(const wchar_t* face, int pixelHeight, bool bold) {
    return CreateFontW(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

void TFMain::Create(HINSTANCE instance) {
    FInstance = instance;
    FMain = this;
    RegisterClasses(instance);

    // Single border, minimise and maximise buttons.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
                        WS_CLIPCHILDREN;
    RECT r = {0, 0, MainClientSize.Width, MainClientSize.Height};
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_CONTROLPARENT);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    // Owned by the application window, which is the program's taskbar button
    // under the application title; this window's caption is its own.
    CreateHandle(WS_EX_CONTROLPARENT, ClassName(), L"Установка комплекса", style, x, y, w, h,
                 ApplicationHandle(), instance);
    if (!FHandle) throw EAppError(L"Cannot create the main window. " + SysErrorMessage(GetLastError()));
    if (Application) Application->SetMainWindow(FHandle);
    SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFontDefault.Get()), FALSE);
    FormCreate();
}

void TFMain::FormCreate() {
    // What needs no image comes first: the images decode meanwhile on their own thread.
    ProductVariantFlag = IsProductVariant(LoadProductString(IDS_PRODUCT_NAME));
    // The panel and its document come after the first paint.
    CheckInfoDocument(FInstance);
    AppNameStr = LoadProductString(IDS_PRODUCT_FOLDER);
    FCanClose = true;
    Page(TPage::Start);

    // The seven images; a missing one ends window creation with an error.
    FDecoration = std::make_shared<TMainDecoration>();
    FDecoration->LoadAll(FInstance);
    // Panel colour from the title image, for the information panel, the
    // pages and the path strip's border.
    SetPanelColor(FDecoration->PanelColor());
    ShowPage(TPage::Start);
    BGResize();
    if (!SetTimer(FHandle, CompleteTimer, USER_TIMER_MINIMUM, nullptr)) CompleteAfterFirstPaint();
}

void TFMain::CompleteAfterFirstPaint() {
    if (!RichEdit1) {
        RichEdit1 = CreateInfoPanel(FHandle, IDC_RICHEDIT1, FInstance);
        SetInfoPanelColor(RichEdit1, FPanelColor);
    }
    for (int page = 0; page < kPageCount; ++page) Page(static_cast<TPage>(page));
    LoadInfo(RichEdit1, FInstance);
}

void TFMain::SetPanelColor(COLORREF color) {
    FPanelColor = color;
    FPanelBrush.Reset(CreateSolidBrush(color));
    if (InsatallPages) RedrawWindow(InsatallPages, nullptr, nullptr,
                                    RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ---- messages --------------------------------------------------------------

void TFMain::OnCreate() { CreateControls(); }

LRESULT TFMain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED || lParam == 0) {
            OnCommand(LOWORD(wParam), BN_CLICKED);
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        HANDLE color = GetPropW(control, L"TextColor");
        if (color || msg == WM_CTLCOLORSTATIC) {
            SetTextColor(dc, static_cast<COLORREF>(reinterpret_cast<UINT_PTR>(color)));
            SetBkColor(dc, FPanelColor);
            return reinterpret_cast<LRESULT>(FPanelBrush.Get());
        }
        break;
    }
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        const TButtonSpec* spec = ButtonSpecOf(static_cast<int>(item.CtlID));
        if (spec && DrawOwnerButton(item, spec->Glyph, spec->InPathStrip, FPanelColor,
                                    item.hwndItem == DefaultButton()))
            return TRUE;
        break;
    }
    case WM_CTLCOLORBTN: {
        SetBkColor(reinterpret_cast<HDC>(wParam), FPanelColor);
        return reinterpret_cast<LRESULT>(FPanelBrush.Get());
    }
    case WM_CTLCOLORDLG:  // the containers' background
        return reinterpret_cast<LRESULT>(FPanelBrush.Get());
    case WM_PAINT:
        if (!FDecoration) break;
        PaintDecoration();
        return 0;
    case WM_ERASEBKGND:
        if (FDecoration) return 1;  // the composed buffer covers it
        break;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) BGResize();
        return 0;
    case WM_SETCURSOR:
        if (FWaitCursor) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case DM_GETDEFID: {
        HWND button = DefaultButton();
        if (button) return MAKELRESULT(GetDlgCtrlID(button), DC_HASDEFID);
        return 0;
    }
    case WM_CLOSE:
        if (FormCloseQuery()) DestroyWindow(FHandle);
        return 0;
    case WM_ACTIVATE:
        // Coming back to the window: the focus goes where the page wants it,
        // unless it is already on something the operator can use.
        if (LOWORD(wParam) != WA_INACTIVE) {
            HWND focus = GetFocus();
            if (!focus || focus == FHandle || !IsChild(FHandle, focus) || !CanAct(focus)) {
                if (HWND target = FocusTarget()) SetFocus(target);
            }
            return 0;
        }
        break;
    case WM_TIMER:
        if (wParam != CompleteTimer) break;
        KillTimer(FHandle, CompleteTimer);
        CompleteAfterFirstPaint();
        return 0;
    case WM_INSTALL_RUN_ENDED:
        reinterpret_cast<TInstallRun*>(lParam)->Ended();
        return 0;
    case WM_INSTALL_SHOW_LINES:
        reinterpret_cast<TInstallRun*>(lParam)->ShowPendingLines();
        return 0;
    case WM_INSTALL_COPY_PROGRESS:
        ShowCopyProgress(static_cast<int>(wParam));
        return 0;
    case WM_QUERYENDSESSION:
        // A logoff or shutdown is refused like the close box: ending the program
        // in the middle of the copy would leave a broken installation.
        if (!FCanClose) return FALSE;
        break;
    case WM_SYSCOMMAND:
        // The program minimises as a whole, to its one taskbar button.
        if ((wParam & 0xFFF0) == SC_MINIMIZE && Application) {
            Application->Minimize();
            return 0;
        }
        break;
    case WM_DESTROY:
        if (Application) Application->SetMainWindow(nullptr);
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(FHandle, msg, wParam, lParam);
}

HWND TFMain::ButtonParent(const TButtonSpec& spec) const {
    return spec.InPathStrip ? PnlPath : FPages[static_cast<int>(spec.Page)];
}

HWND TFMain::ButtonOf(const TButtonSpec& spec) const {
    HWND parent = ButtonParent(spec);
    return parent ? GetDlgItem(parent, spec.Id) : nullptr;
}

HWND TFMain::ButtonOf(int id) const {
    const TButtonSpec* spec = ButtonSpecOf(id);
    return spec ? ButtonOf(*spec) : nullptr;
}

bool TFMain::CanAct(HWND control) {
    return control && IsWindowVisible(control) && IsWindowEnabled(control);
}

void TFMain::OnCommand(int id, int) {
    // Enter and Escape outside a button: the shown page's default button and its way out.
    if (id == IDOK || id == IDCANCEL) {
        HWND button = id == IDOK ? DefaultButton() : EscapeButton();
        if (CanAct(button)) OnCommand(GetDlgCtrlID(button), BN_CLICKED);
        return;
    }
    // A click that reaches a hidden or disabled button (a key held down while
    // its page went, a message from outside) does nothing.
    const TButtonSpec* spec = ButtonSpecOf(id);
    if (!spec || !CanAct(ButtonOf(*spec))) return;
    (this->*spec->Click)();
}

void TFMain::ReportError(std::exception_ptr error) { ShowErrorBox(ErrorText(error)); }

// ---- keyboard and the message loop ----------------------------------------

HWND TFMain::ShownPageButton(bool TButtonSpec::*key) const {
    if (!FPageShown) return nullptr;
    for (const TButtonSpec& spec : MainButtons())
        if (spec.Page == FActivePage && spec.*key) return ButtonOf(spec);
    return nullptr;
}

HWND TFMain::DefaultButton() const { return ShownPageButton(&TButtonSpec::Default); }

HWND TFMain::EscapeButton() const { return ShownPageButton(&TButtonSpec::Escape); }

HWND TFMain::FocusTarget() const {
    if (!FPageShown) return nullptr;
    if (FActivePage == TPage::InputPath) return ePath;
    HWND button = DefaultButton();
    // The progress page during the run: its list, the one thing there to look through.
    if (FActivePage == TPage::Progress && !CanAct(button)) return LogList;
    return button;
}

bool TFMain::PreTranslate(MSG& msg) {
    if (!FHandle || !IsWindow(FHandle)) return false;
    if (msg.hwnd != FHandle && !IsChild(FHandle, msg.hwnd)) return false;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
        // A focused push button takes Enter itself; elsewhere Enter means "forward".
        // Either acts only while the operator can see and use it.
        wchar_t cls[16] = {};
        GetClassNameW(msg.hwnd, cls, 16);
        LONG_PTR style = GetWindowLongPtrW(msg.hwnd, GWL_STYLE);
        bool pushButton = lstrcmpiW(cls, L"Button") == 0 &&
                          ((style & BS_TYPEMASK) == BS_PUSHBUTTON ||
                           (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON ||
                           (style & BS_TYPEMASK) == BS_OWNERDRAW);
        HWND button = pushButton ? msg.hwnd : DefaultButton();
        if (CanAct(button)) SendMessageW(button, BM_CLICK, 0, 0);
        return true;
    }
    return IsDialogMessageW(FHandle, &msg) != FALSE;
}

static bool MainWindowFilter(MSG& msg) { return FMain != nullptr && FMain->PreTranslate(msg); }

int TFMain::Run() {
    SetMessageFilter(MainWindowFilter);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (FilterMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    SetMessageFilter(nullptr);
    return 0;
}

// ---- pages and navigation ---------------------------------------------------

void TFMain::ShowPage(TPage page) {
    if (FPageShown && page == FActivePage) return;
    HWND window = Page(page);
    HWND previous = FPageShown ? FPages[static_cast<int>(FActivePage)] : nullptr;
    FActivePage = page;
    FPageShown = true;
    ShowWindow(window, SW_SHOW);
    // The focus never stays on a page that went: keys would reach its buttons.
    if (HWND target = FocusTarget(); target && GetActiveWindow() == FHandle) SetFocus(target);
    if (previous) ShowWindow(previous, SW_HIDE);
    UpdateWindow(window);
    // The default button's frame follows the page. Pages not made yet have no
    // buttons, and InvalidateRect of no window would repaint every window on the desktop.
    for (const TButtonSpec& spec : MainButtons())
        if (HWND button = spec.Default ? ButtonOf(spec) : nullptr) InvalidateRect(button, nullptr, FALSE);
    if (page == TPage::InputComponents) tsInputComponentsShow();
}

// The window closes only while the installation allows it and no run is going on.
bool TFMain::FormCloseQuery() { return FCanClose && !FRunActive; }

void TFMain::BtnCancelClick() {
    if (ShowMessage(L"Вы уверены, что хотите отменить процесс установки?", TMsgKind::Confirmation,
                    MB_YESNO) == IDYES) {
        FCanClose = true;
        ShowPage(TPage::Cancel);
    }
}

void TFMain::BtnStartNextClick() { ShowPage(TPage::InputPath); }

void TFMain::BtnSelectPathClick() {
    BROWSEINFOW info = {};
    info.hwndOwner = FHandle;
    info.pidlRoot = nullptr;  // the desktop
    info.lpszTitle = L"Выберете путь для установки программ";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;  // 0x241
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (!chosen) return;
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(chosen, path)) SetWindowTextW(ePath, path);
    CoTaskMemFree(chosen);
}

static std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    int n = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

std::wstring TFMain::TrimmedPath() const { return TrimControl(WindowText(ePath)); }

void TFMain::BtnInputPathNextClick() {
    // The rules of /DIR, on the real path: a relative folder lies beside
    // Install.exe and is shown as such, so it means that folder for good.
    std::wstring exe = ExeFolder();
    if (!exe.empty() && exe.back() != L'\\') exe += L'\\';
    const TInstallFolder folder = CheckInstallFolder(WindowText(ePath), exe, exe, true);
    if (folder.Verdict == TFolderVerdict::Empty) {
        ShowMessage(folder.Reason, TMsgKind::Error, MB_OK);
        SetFocus(ePath);
        return;
    }
    SetWindowTextW(ePath, folder.Path.c_str());
    if (folder.Verdict != TFolderVerdict::Accepted) {
        ShowMessage(folder.Reason, TMsgKind::Warning, MB_OK);
        SetFocus(ePath);
        return;
    }
    PrepareInstallFolders(folder.Path);
    ShowPage(TPage::InputComponents);
}

void TFMain::tsInputComponentsShow() {
    ShowMessageWindow(L"Внимание!\r Если на вашем компьютере уже установлен комплекс "
                      L"\"Велитор-Vudeze\",\r снимите галочку установки драйвера!",
                      mtMessage, L"", 0);
}

void TFMain::BtnInputComponentsBackClick() { ShowPage(TPage::InputPath); }

void TFMain::BtnExitClick() { PostMessageW(FHandle, WM_CLOSE, 0, 0); }

void TFMain::PaintDecoration() {
    const TPaintDC paint(FHandle);
    FDecoration->Paint(paint.Get());
    // Until the information panel is made, its place shows it empty.
    if (!RichEdit1) {
        const RECT place = {RichEdit1Place.Left, RichEdit1Place.Top, RichEdit1Place.Left + RichEdit1Place.Width,
                            RichEdit1Place.Top + RichEdit1Place.Height};
        FillRect(paint.Get(), &place, FPanelBrush.Get());
    }
}

void TFMain::BGResize() {
    if (!FDecoration) return;  // before the images are loaded
    RECT area;
    GetClientRect(FHandle, &area);
    const TCompositionPlan& plan = FDecoration->Compose(area.right, area.bottom);
    for (auto [panel, r] : {std::pair{RichEdit1, plan.RichEdit1}, std::pair{InsatallPages, plan.InsatallPages}})
        SetWindowPos(panel, nullptr, r.Left, r.Top, r.Width, r.Height,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    if (RichEdit1) SetInfoMargins(RichEdit1);
    // One repaint shows the new composition and the panels over it.
    RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// ---- dialogs ------------------------------------------------------------------

int TFMain::ShowMessage(const std::wstring& text, TMsgKind kind, UINT buttons) {
    UINT icon = kind == TMsgKind::Error     ? MB_ICONERROR
                : kind == TMsgKind::Warning ? MB_ICONWARNING
                                            : MB_ICONQUESTION;
    return MessageBoxW(FHandle, text.c_str(), ApplicationTitle, icon | buttons);
}

void TFMain::ShowErrorBox(const std::wstring& text) {
    ::ShowErrorBox(FHandle, text);
}

void TFMain::BlockShutdown(bool block) {
    if (block)
        SetShutdownBlockReason(FHandle, L"Идёт установка комплекса \"Велитор-Vudeze\". Дождитесь её "
                                        L"окончания, иначе установка останется незавершённой.");
    else
        ClearShutdownBlockReason(FHandle);
}

void TFMain::SetWaitCursor(bool wait) {
    FWaitCursor = wait;
    SetCursor(LoadCursorW(nullptr, wait ? IDC_WAIT : IDC_ARROW));
}

// ---- the installation's view ---------------------------------------------------

int TFMain::AddLine(const std::wstring& line) {
    LRESULT index = SendMessageW(LogList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageW(LogList, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    return static_cast<int>(index);
}

void TFMain::CompleteLine(int index, bool ok) {
    LRESULT len = SendMessageW(LogList, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (len == LB_ERR) return;
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    SendMessageW(LogList, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(len));
    text += ok ? MarkDone : MarkError;
    SendMessageW(LogList, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendMessageW(LogList, LB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

void TFMain::ShowError(const std::wstring& text) {
    ShowMessage(text, TMsgKind::Error, MB_OK);
}

bool TFMain::Confirm(const std::wstring& text) {
    return ShowMessage(text, TMsgKind::Confirmation, MB_YESNO) == IDYES;
}

void TFMain::SetRunActive(bool active) { FRunActive = active; }

void TFMain::ShowProgressPage() {
    Page(TPage::Progress);
    SendMessageW(LogList, LB_RESETCONTENT, 0, 0);
    ShowWindow(LogList, SW_SHOW);
    ShowPage(TPage::Progress);
}

void TFMain::SetMainStage(bool active) {
    FCanClose = !active;
    SetWaitCursor(active);
    BlockShutdown(active);
}

void TFMain::EnableExit() {
    HWND exit = ButtonOf(IDC_BTNEXIT);
    EnableWindow(exit, TRUE);
    if (GetActiveWindow() == FHandle && FActivePage == TPage::Progress) SetFocus(exit);
}

void TFMain::ShowLargeFontPage() { ShowPage(TPage::ChangeFontSize); }

void TFMain::CloseInstaller() { BtnExitClick(); }

void TFMain::ShowCopyProgress(int perMille) {
    if (perMille < 0) {
        ShowWindow(CopyProgressBar, SW_HIDE);
        FTaskbarProgress.Hide();
        return;
    }
    SendMessageW(CopyProgressBar, PBM_SETPOS, static_cast<WPARAM>(perMille), 0);
    if (!IsWindowVisible(CopyProgressBar)) ShowWindow(CopyProgressBar, SW_SHOW);
    FTaskbarProgress.Show(ApplicationHandle() ? ApplicationHandle() : FHandle, perMille, 1000);
}

// /SILENT's window: the main window on its progress page, with nobody to ask.
std::unique_ptr<IInstallView> CreateSilentProgressWindow(HINSTANCE instance) {
    auto form = std::make_unique<TFMain>();
    form->Create(instance);
    form->ShowProgressPage();
    ShowWindow(form->Handle(), SW_SHOWNORMAL);
    UpdateWindow(form->Handle());
    return form;
}
