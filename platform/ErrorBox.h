// The standard error box and the text shown for an exception.
#pragma once
#include <windows.h>

#include <exception>
#include <string>

// Caption of the program's message boxes and its name in the taskbar.
inline constexpr wchar_t ApplicationTitle[] = L"Установка комплекса \"Велитор-Vudeze\"";

// what() of a standard exception as text; the library writes it in UTF-8.
std::wstring WhatText(const std::exception& e);

// Operator's text for a caught exception: an EAppError's message, "Out of
// memory", or what() read as UTF-8 (anything else: "Unknown error").
std::wstring ErrorText(std::exception_ptr error);

// MessageBoxW with the error icon and OK, titled with the application title.
void ShowErrorBox(HWND owner, const std::wstring& text);
