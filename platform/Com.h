// COM on this thread: the apartment scope, interface pointers, BSTR and VARIANT.
// The owning wrappers are move-only; a moved-from wrapper holds nothing.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <utility>

// Single-threaded apartment for the scope's lifetime. Left only when entering
// succeeded (S_FALSE included: every successful CoInitialize needs its pair).
class TComApartment {
public:
    TComApartment() : FResult(CoInitialize(nullptr)) {}
    ~TComApartment() {
        if (SUCCEEDED(FResult)) CoUninitialize();
    }
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;
    HRESULT Result() const { return FResult; }

private:
    HRESULT FResult;
};

template <class T>
class TComPtr {
public:
    TComPtr() = default;
    // Takes over a reference the caller already holds.
    explicit TComPtr(T* ptr) : FPtr(ptr) {}
    ~TComPtr() { Reset(); }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;
    TComPtr(TComPtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
    TComPtr& operator=(TComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            FPtr = std::exchange(other.FPtr, nullptr);
        }
        return *this;
    }

    T* Get() const { return FPtr; }
    T* operator->() const { return FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }
    void Reset() {
        if (FPtr) std::exchange(FPtr, nullptr)->Release();
    }
    // For out-parameters; releases what was held first.
    T** Out() {
        Reset();
        return &FPtr;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }

private:
    T* FPtr = nullptr;
};

class TBstr {
public:
    TBstr() = default;
    explicit TBstr(const std::wstring& s)
        : FValue(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    ~TBstr() { SysFreeString(FValue); }
    TBstr(const TBstr&) = delete;
    TBstr& operator=(const TBstr&) = delete;
    TBstr(TBstr&& other) noexcept : FValue(std::exchange(other.FValue, nullptr)) {}
    TBstr& operator=(TBstr&& other) noexcept {
        if (this != &other) {
            SysFreeString(FValue);
            FValue = std::exchange(other.FValue, nullptr);
        }
        return *this;
    }

    BSTR Get() const { return FValue; }
    BSTR* Out() {
        SysFreeString(std::exchange(FValue, nullptr));
        return &FValue;
    }
    // The whole string, embedded zeros included; empty for a null BSTR.
    std::wstring Text() const { return FValue ? std::wstring(FValue, SysStringLen(FValue)) : std::wstring(); }

private:
    BSTR FValue = nullptr;
};

class TVariant {
public:
    TVariant() { VariantInit(&FValue); }
    explicit TVariant(const std::wstring& s) {
        VariantInit(&FValue);
        FValue.vt = VT_BSTR;
        FValue.bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    }
    ~TVariant() { VariantClear(&FValue); }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    // A VARIANT is plain data: moving is a bitwise copy that leaves VT_EMPTY behind.
    TVariant(TVariant&& other) noexcept : FValue(other.FValue) { VariantInit(&other.FValue); }
    TVariant& operator=(TVariant&& other) noexcept {
        if (this != &other) {
            VariantClear(&FValue);
            FValue = other.FValue;
            VariantInit(&other.FValue);
        }
        return *this;
    }

    VARIANT& Get() { return FValue; }
    const VARIANT& Get() const { return FValue; }
    // For out-parameters; clears what was held first.
    VARIANT* Out() {
        VariantClear(&FValue);
        return &FValue;
    }

private:
    VARIANT FValue;
};
