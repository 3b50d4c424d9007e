#include "install/ProductStrings.h"

#include <windows.h>

#include "platform/AppError.h"

std::wstring LoadProductString(int id) {
    if (id < 0) throw EAppError(L"Range check error: string id " + std::to_wstring(id));
    wchar_t buffer[255] = {};
    int n = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), buffer, 255);
    if (n <= 0) return L"";
    return std::wstring(buffer);  // up to the first NUL
}

static std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool IsProductVariant(const std::wstring& productTitle) {
    return UpperCase(productTitle) == UpperCase(L"Ясенец");
}
