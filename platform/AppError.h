// The program's one exception type: a UTF-16 message for the operator.
// Header-only and free of <windows.h>, so pure code may raise it too.
#pragma once
#include <exception>
#include <string>

#include "shared/TextCodec.h"

class EAppError : public std::exception {
public:
    explicit EAppError(std::wstring message) : FMessage(std::move(message)) {}
    const std::wstring& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return "EAppError"; }

private:
    std::wstring FMessage;
};

// what() of a standard exception as text; the library writes it in UTF-8.
inline std::wstring WhatText(const std::exception& e) { return DecodeUtf8(e.what()); }
