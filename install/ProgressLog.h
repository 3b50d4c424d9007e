// What an installation stage may do to the operator's screen: add lines to the
// progress list, complete a progress line with its mark, let the window breathe,
// and ask or tell something in a standard message box. The main window implements
// it over LogList; tests implement it with a recorder. No <windows.h> here.
#pragma once
#include <string>

inline const wchar_t* const MarkDone = L"Завершено";
inline const wchar_t* const MarkError = L"ОШИБКА!!!";

class IProgressLog {
public:
    virtual ~IProgressLog() = default;
    // Adds a line (plain, or a progress line ending in "....") and returns its index.
    virtual int Add(const std::wstring& line) = 0;
    // Appends the mark to the line at index, with no separator.
    virtual void Complete(int index, bool ok) = 0;
    // Lets the user interface process pending events.
    virtual void Pump() = 0;
    // Redraws only the list, so a line is visible while the caller blocks.
    virtual void RepaintList() = 0;
    // Standard error box with OK.
    virtual void ShowError(const std::wstring& text) = 0;
    // Confirmation with Yes and No; true only for Yes.
    virtual bool Confirm(const std::wstring& text) = 0;
};
