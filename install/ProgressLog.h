// What an installation stage may show the operator: lines in the progress list,
// a progress line completed with its mark, an error box, and how far a long
// copy has come. The installation runs on a thread of its own; whoever
// implements this carries each call to the window (tests record them). No
// <windows.h> here.
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
    // Standard error box with OK.
    virtual void ShowError(const std::wstring& text) = 0;
    // How much of a long copy is done (bytes); done == total ends the display.
    virtual void CopyProgress(unsigned long long done, unsigned long long total) {
        (void)done;
        (void)total;
    }
};
