// The main window of the wizard (class TFMain): the composed background, the
// information panel, six pages in a page area, the navigation between them,
// and the installation run's view.
#pragma once
#include <windows.h>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/InstallView.h"
#include "app/MainLayout.h"
#include "platform/BaseWindow.h"
#include "platform/Gdi.h"
#include "platform/TaskbarProgress.h"

class TMainDecoration;
class TInstallRun;
struct TInstallSetup;

enum class TMsgKind { Error, Warning, Confirmation };

// True when the product title (string 1) names the product variant that gets btooth.ini.
extern bool ProductVariantFlag;

class TFMain : public TBaseWindow, public IInstallView {
public:
    TFMain();
    ~TFMain() override;

    static const wchar_t* ClassName() { return L"TFMain"; }
    // The window's class and its containers' classes.
    static void RegisterClasses(HINSTANCE instance);

    // Creates the window and runs FormCreate; throws EAppError on failure.
    void Create(HINSTANCE instance);

    // Wizard state
    bool FCanClose = true;
    std::wstring Fcopyfrom;
    std::wstring AppNameStr;

    // Event handlers
    void FormCreate();
    bool FormCloseQuery();
    void BtnCancelClick();
    void BtnStartNextClick();
    void BtnSelectPathClick();
    void BtnInputPathNextClick();
    void tsInputComponentsShow();
    void BtnInputComponentsBackClick();
    void BtnInsatallClick();      // the installation procedure (MainInstall.cpp)
    void BtnExitClick();
    void BtnChangeFontClick();    // large-font page (MainFontSize.cpp)
    // The background composed anew for the client size, the panels placed on it.
    void BGResize();

    // The large-font switch (MainFontSize.cpp); false when the system has none or it failed.
    bool ChangeFontSize();

    // Page control: a page is made when it is first needed (the first page at
    // creation, the others once it has been painted, or earlier when asked for).
    void ShowPage(TPage page);

    // Standard message box owned by the main window; returns the button id.
    int ShowMessage(const std::wstring& text, TMsgKind kind, UINT buttons);
    // Standard error box for an error that ended a user action.
    void ShowErrorBox(const std::wstring& text);
    // An exception that ended an event handler (see TBaseWindow): logged and
    // shown in the standard error box. The program keeps running.
    void ReportError(std::exception_ptr error) override;

    // Text of ePath trimmed of characters <= ' ' at both ends.
    std::wstring TrimmedPath() const;

    // The installation (MainInstall.cpp): started once, on a thread of its own.
    void StartInstallation(const TInstallSetup& setup);

    // IInstallView: what the run shows, on this window's thread.
    HWND ViewHandle() const override { return FHandle; }
    void RunOnWindowThread(const std::function<void()>& work) override { TBaseWindow::RunOnWindowThread(work); }
    void SetRunActive(bool active) override;
    void ShowProgressPage() override;
    void SetMainStage(bool active) override;
    void EnableExit() override;
    int AddLine(const std::wstring& line) override;
    void CompleteLine(int index, bool ok) override;
    void ShowError(const std::wstring& text) override;
    bool Confirm(const std::wstring& text) override;
    void ShowLargeFontPage() override;
    void CloseInstaller() override;

    // Hourglass during the main stage of the installation.
    void SetWaitCursor(bool wait);
    // The reason a logoff or shutdown waits, shown by the system while the
    // main stage runs (the window refuses to end while FCanClose is false).
    void BlockShutdown(bool block);

    // Colour of the information panel, the page area and the path strip's border.
    void SetPanelColor(COLORREF color);
    COLORREF PanelColor() const { return FPanelColor; }
    HBRUSH PanelBrush() const { return FPanelBrush.Get(); }

    // Message loop of the program: keyboard navigation as in a dialog, Enter
    // presses the shown page's forward button. Returns when the window is gone.
    int Run();
    // Keyboard handling shared by the main loop and the pump; true when consumed.
    bool PreTranslate(MSG& msg);

private:
    // A button acts only while the operator can see and use it.
    static bool CanAct(HWND control);
    // The page's window, made now if it was not yet.
    HWND Page(TPage page);
    // What the first page does not show (the information panel and its
    // document, the other pages), on a timer's turn: once the window has been painted and the
    // program has waited for input.
    void CompleteAfterFirstPaint();
    // Default button of the shown page (Enter presses it) and the way out
    // that Escape presses; either may be null.
    HWND DefaultButton() const;
    HWND EscapeButton() const;
    // The shown page's button whose row has that key set.
    HWND ShownPageButton(bool TButtonSpec::*key) const;
    // The control that gets the focus when the shown page has been shown.
    HWND FocusTarget() const;
    HWND ButtonOf(int id) const;
    HWND ButtonOf(const TButtonSpec& spec) const;
    // The page, or the path strip for the strip's own button.
    HWND ButtonParent(const TButtonSpec& spec) const;
    void CreateButtons(TPage page);
    // How far a long copy has come (per mille), or -1: on the page and the taskbar button.
    void ShowCopyProgress(int perMille);
    void OnCreate() override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(int id, int code);
    void CreateControls();
    void CreatePageStart(HWND page);
    void CreatePageInputPath(HWND page);
    void CreatePageInputComponents(HWND page);
    void CreatePageProgress(HWND page);
    void CreatePageCancel(HWND page);
    void CreatePageChangeFontSize(HWND page);
    void PaintDecoration();
    HWND CreateButton(HWND parent, int id, const wchar_t* caption, int x, int y, int w, int h);
    HWND CreateMemo(HWND parent, int id, const std::wstring& text, int x, int y, int w, int h,
                    HFONT font, COLORREF color);
    HFONT MakeFont(const wchar_t* face, int pixelHeight, bool bold = false);

    HINSTANCE FInstance = nullptr;
    // Controls
    HWND RichEdit1 = nullptr, InsatallPages = nullptr;
    std::array<HWND, kPageCount> FPages{};
    HWND ePath = nullptr, PnlPath = nullptr, CbDriverInstal = nullptr, CBWindows = nullptr;
    HWND LogList = nullptr, CopyProgressBar = nullptr;
    TPage FActivePage = TPage::Start;
    bool FPageShown = false;
    HCURSOR FCursor = nullptr;
    bool FWaitCursor = false;
    TFont FFontDefault, FFontPages, FFontTimes;
    COLORREF FPanelColor = RGB(255, 255, 255);
    TBrush FPanelBrush;
    std::shared_ptr<TMainDecoration> FDecoration;  // painted look (Decoration.cpp)
    std::unique_ptr<TInstallRun> FRun;  // the one installation of this window
    bool FRunActive = false;            // its thread runs: the window may not close
    TTaskbarProgress FTaskbarProgress;
};

extern TFMain* FMain;
