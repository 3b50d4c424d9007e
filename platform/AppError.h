// The program's one exception type: a UTF-16 message for the operator.
// Header-only and free of <windows.h>, so pure code may raise it too.
#pragma once
#include <exception>
#include <string>

class EAppError : public std::exception {
public:
    explicit EAppError(std::wstring message) : FMessage(std::move(message)) {}
    const std::wstring& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return "EAppError"; }

private:
    std::wstring FMessage;
};
