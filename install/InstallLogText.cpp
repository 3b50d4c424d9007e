#include "install/InstallLogText.h"

#include <cstdio>

#include "shared/TextCodec.h"

std::wstring InstallLogHeader(int year, int month, int day, int hour, int minute, int second,
                              const std::wstring& distribution, const std::wstring& target) {
    wchar_t stamp[64];
    std::swprintf(stamp, 64, L"%02d.%02d.%04d %02d:%02d:%02d", day, month, year, hour, minute, second);
    return L"Установка " + std::wstring(stamp) + L". Дистрибутив: " + distribution +
           L". Каталог установки: " + target;
}

std::wstring UninstallLogHeader(int year, int month, int day, int hour, int minute, int second,
                                const std::wstring& target) {
    wchar_t stamp[64];
    std::swprintf(stamp, 64, L"%02d.%02d.%04d %02d:%02d:%02d", day, month, year, hour, minute, second);
    return L"Удаление " + std::wstring(stamp) + L". Каталог установки: " + target;
}

std::wstring InstallLogTime(int hour, int minute, int second, int millisecond) {
    wchar_t stamp[32];
    std::swprintf(stamp, 32, L"%02d:%02d:%02d.%03d ", hour, minute, second, millisecond);
    return stamp;
}

std::string InstallLogLine(const std::wstring& text) {
    std::wstring normalized;
    normalized.reserve(text.size() + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r') {
            if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
            normalized += L"\r\n";
        } else if (text[i] == L'\n') {
            normalized += L"\r\n";
        } else {
            normalized += text[i];
        }
    }
    return EncodeUtf8(normalized) + "\r\n";
}
