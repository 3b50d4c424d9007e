#include "platform/ErrorBox.h"

#include <cstring>
#include <new>

#include "platform/AppError.h"

std::wstring WhatText(const std::exception& e) {
    const char* what = e.what();
    const int bytes = static_cast<int>(std::strlen(what));
    if (bytes == 0) return L"";
    const int n = MultiByteToWideChar(CP_UTF8, 0, what, bytes, nullptr, 0);
    std::wstring text(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, what, bytes, text.data(), n);
    return text;
}

std::wstring ErrorText(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const EAppError& e) {
        return e.Message();
    } catch (const std::bad_alloc&) {
        return L"Out of memory";
    } catch (const std::exception& e) {
        return WhatText(e);
    } catch (...) {
        return L"Unknown error";
    }
}

void ShowErrorBox(HWND owner, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), ApplicationTitle, MB_ICONERROR | MB_OK);
}
