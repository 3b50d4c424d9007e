// Small Win32 helpers used everywhere: error texts, folders, the message pump.
#pragma once
#include <windows.h>
#include <string>

// The system's text for an error code, without the trailing line break.
std::wstring SysErrorMessage(DWORD code);

// Folder of the running executable, with a trailing backslash.
std::wstring ExeFolder();

// Path tests as the program uses them: a folder, or an existing non-folder.
bool DirectoryExists(const std::wstring& path);
bool FileExists(const std::wstring& path);

// Let the user interface process every pending message ("pump").
void ProcessMessages();

// A filter that sees every message the main loop or the pump takes from the
// queue before it is dispatched (keyboard navigation); true means consumed.
using TMessageFilter = bool (*)(MSG& msg);
void SetMessageFilter(TMessageFilter filter);
bool FilterMessage(MSG& msg);

// Owns a kernel handle; closes it on scope exit.
class TKernelHandle {
public:
    TKernelHandle() = default;
    explicit TKernelHandle(HANDLE h) : FHandle(h) {}
    ~TKernelHandle() { Close(); }
    TKernelHandle(const TKernelHandle&) = delete;
    TKernelHandle& operator=(const TKernelHandle&) = delete;
    TKernelHandle(TKernelHandle&& other) noexcept : FHandle(other.Release()) {}
    TKernelHandle& operator=(TKernelHandle&& other) noexcept {
        if (this != &other) { Close(); FHandle = other.Release(); }
        return *this;
    }
    HANDLE Get() const { return FHandle; }
    bool Valid() const { return FHandle != nullptr && FHandle != INVALID_HANDLE_VALUE; }
    HANDLE Release() { HANDLE h = FHandle; FHandle = nullptr; return h; }
    void Close() {
        if (Valid()) CloseHandle(FHandle);
        FHandle = nullptr;
    }

private:
    HANDLE FHandle = nullptr;
};
