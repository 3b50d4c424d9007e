// GDI ownership: objects (pens, brushes, fonts, bitmaps), selections into a DC,
// window, paint and memory DCs. Move-only like every platform wrapper: one
// owner, one delete or release, a moved-from wrapper holds nothing.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "platform/Handles.h"

template <class T>
struct TGdiObjectTraits {
    using THandle = T;
    static T Empty() { return nullptr; }
    static bool Valid(T h) { return h != nullptr; }
    static void Close(T h) { DeleteObject(h); }
};
template <class T>
using TGdiObject = TUniqueHandle<TGdiObjectTraits<T>>;
using TPen = TGdiObject<HPEN>;
using TBrush = TGdiObject<HBRUSH>;
using TFont = TGdiObject<HFONT>;
using TBitmapHandle = TGdiObject<HBITMAP>;

struct TImageListTraits {
    using THandle = HIMAGELIST;
    static HIMAGELIST Empty() { return nullptr; }
    static bool Valid(HIMAGELIST h) { return h != nullptr; }
    static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};
using TImageList = TUniqueHandle<TImageListTraits>;

// Selects an object into a DC and puts the previous one back on scope exit, so
// the object is never deleted while selected (declare it before the selection).
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) : FDC(dc), FOld(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~TSelectObject() { Restore(); }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;
    TSelectObject(TSelectObject&& other) noexcept
        : FDC(std::exchange(other.FDC, nullptr)), FOld(std::exchange(other.FOld, nullptr)) {}
    TSelectObject& operator=(TSelectObject&&) = delete;
    void Restore() {
        if (FDC && FOld) SelectObject(FDC, FOld);
        FDC = nullptr;
        FOld = nullptr;
    }

private:
    HDC FDC;
    HGDIOBJ FOld;
};

// GetDC / GetWindowDC and its ReleaseDC (a null window is the screen).
class TWindowDC {
public:
    explicit TWindowDC(HWND window, bool wholeWindow = false)
        : FWindow(window), FDC(wholeWindow ? GetWindowDC(window) : GetDC(window)) {}
    ~TWindowDC() {
        if (FDC) ReleaseDC(FWindow, FDC);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    TWindowDC(TWindowDC&& other) noexcept
        : FWindow(other.FWindow), FDC(std::exchange(other.FDC, nullptr)) {}
    TWindowDC& operator=(TWindowDC&&) = delete;
    HDC Get() const { return FDC; }
    explicit operator bool() const { return FDC != nullptr; }

private:
    HWND FWindow;
    HDC FDC;
};

// BeginPaint / EndPaint inside WM_PAINT.
class TPaintDC {
public:
    explicit TPaintDC(HWND window) : FWindow(window), FDC(BeginPaint(window, &FPaint)) {}
    ~TPaintDC() { EndPaint(FWindow, &FPaint); }
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;
    HDC Get() const { return FDC; }

private:
    HWND FWindow;
    PAINTSTRUCT FPaint{};
    HDC FDC;
};

// CreateCompatibleDC / DeleteDC.
struct TMemoryDCTraits {
    using THandle = HDC;
    static HDC Empty() { return nullptr; }
    static bool Valid(HDC h) { return h != nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
class TMemoryDC : public TUniqueHandle<TMemoryDCTraits> {
public:
    TMemoryDC() = default;
    explicit TMemoryDC(HDC like) : TUniqueHandle(CreateCompatibleDC(like)) {}
};
