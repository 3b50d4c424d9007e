#include "platform/ErrorBox.h"

#include <new>

#include "platform/AppError.h"

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
