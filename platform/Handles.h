// Ownership of kernel, find and registry handles. Every wrapper is move-only:
// a handle has one owner, which closes it once; a moved-from wrapper is empty.
#pragma once
#include <windows.h>

#include <string>
#include <utility>

template <class Traits>
class TUniqueHandle {
public:
    using THandle = typename Traits::THandle;

    TUniqueHandle() = default;
    explicit TUniqueHandle(THandle h) : FHandle(h) {}
    ~TUniqueHandle() { Close(); }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    TUniqueHandle(TUniqueHandle&& other) noexcept : FHandle(other.Release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    THandle Get() const { return FHandle; }
    bool Valid() const { return Traits::Valid(FHandle); }
    explicit operator bool() const { return Valid(); }
    // Gives the handle up without closing it.
    THandle Release() { return std::exchange(FHandle, Traits::Empty()); }
    void Close() {
        if (Valid()) Traits::Close(FHandle);
        FHandle = Traits::Empty();
    }
    void Reset(THandle h) {
        if (h == FHandle) return;
        Close();
        FHandle = h;
    }
    // For functions that return a handle through a pointer; the old one is closed first.
    THandle* Out() {
        Close();
        return &FHandle;
    }

private:
    THandle FHandle = Traits::Empty();
};

// CreateFile, CreateProcess, events, tokens: empty is null, failure may be INVALID_HANDLE_VALUE.
struct TKernelHandleTraits {
    using THandle = HANDLE;
    static HANDLE Empty() { return nullptr; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
using TKernelHandle = TUniqueHandle<TKernelHandleTraits>;

struct TFindHandleTraits {
    using THandle = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
using TFindHandle = TUniqueHandle<TFindHandleTraits>;

// A key opened or created by this program; never wrap a predefined root key.
struct TRegKeyTraits {
    using THandle = HKEY;
    static HKEY Empty() { return nullptr; }
    static bool Valid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
using TRegKey = TUniqueHandle<TRegKeyTraits>;

// One FindFirstFileW/FindNextFileW search over a pattern.
class TFindSearch {
public:
    explicit TFindSearch(const std::wstring& pattern)
        : FHandle(FindFirstFileW(pattern.c_str(), &FData)) {}
    bool Valid() const { return FHandle.Valid(); }
    const WIN32_FIND_DATAW& Data() const { return FData; }
    bool Next() { return FindNextFileW(FHandle.Get(), &FData) != FALSE; }

private:
    WIN32_FIND_DATAW FData{};
    TFindHandle FHandle;
};
