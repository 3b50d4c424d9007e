// The program's own modal notice: an always-on-top window with a word-wrapped
// text, OK (and "Отмена" for dialogs) and a countdown strip that closes the
// window by itself unless the user stops it. A fresh window per message.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <exception>
#include <string>

#include "platform/BaseWindow.h"
#include "platform/Gdi.h"
#include "windows/WindowLayout.h"

enum TMessageType { mtMessage, mtDialog };

class TFMessageform : public TBaseWindow {
public:
    // Creates the window hidden, its layout scaled to the working monitor's DPI.
    TFMessageform();
    ~TFMessageform() override;

    static const wchar_t* ClassName() { return L"TFMessageform"; }

    // Shows the message (modally when smodal) and returns true only when OK
    // closed the window.
    bool Showmes(const std::wstring& Text, TMessageType tip, const std::wstring& CaptionText,
                 bool smodal);

    // Timer periods, in milliseconds.
    static constexpr int StayUpTimerInterval = 1000;
    int StopTimerInterval = DefaultStopPeriodMs;

    // Controls
    HWND lblMessage = nullptr, pnlButtons = nullptr, btnCancel = nullptr, btnOK = nullptr,
         pnlClose = nullptr, btnStop = nullptr, lblClose = nullptr, lblSec = nullptr;

    // Event handlers
    void FormShow();
    void StayUpTimerTimer();
    void StopTimerTimer();
    void btnOKClick();
    void btnCancelClick();
    void btnStopClick();

private:
    double tt = 0;  // when shown, in days (monotonic clock)
    TMessageType FMessageTtype = mtMessage;
    std::wstring FMessageText;
    std::wstring FCaptionText;
    bool FShowResult = false;
    bool Fsmodal = false;

    TFont FFont;         // the window's default font
    TFont FMessageFont;  // lblMessage, 10 pt
    TImageList FOKGlyph, FCancelGlyph;  // glyphs 2 and 0
    int FDpi = 96;
    bool FClosed = true;
    std::exception_ptr FPending;  // an error raised inside a window event of a modal run
    bool FModalRun = false;

    int Scaled(int value) const { return ScaleToDpi(value, FDpi, MessageDesignDpi); }
    void CreateControls();
    void CreateGlyphs();
    void LayoutStrips();
    int MessageLabelHeight() const;
    int TextWidth(const std::wstring& text) const;
    void CloseForm();
    void RunModal();
    void BringToFront();
    void OnCreate() override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void ReportError(std::exception_ptr error) override;
};

// Shows Text in a new message window and frees it. Seconds is the countdown
// (0: 20 seconds); a negative value or one whose milliseconds overflow 32 bits
// raises EAppError before any window exists. True only when OK was pressed.
bool ShowMessageWindow(const std::wstring& Text, TMessageType Kind, const std::wstring& Caption,
                       int Seconds);
