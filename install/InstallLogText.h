// Text of Install.log, the trace of one installation run in the target folder.
// Pure: no <windows.h>.
#pragma once
#include <string>

// The run's header line (no line break):
// "Установка 09.12.2026 14:30:05. Дистрибутив: <S>. Каталог установки: <T>"
std::wstring InstallLogHeader(int year, int month, int day, int hour, int minute, int second,
                              const std::wstring& distribution, const std::wstring& target);

// The header of a removal run in Uninstall.log:
// "Удаление 09.12.2026 14:30:05. Каталог установки: <T>"
std::wstring UninstallLogHeader(int year, int month, int day, int hour, int minute, int second,
                                const std::wstring& target);

// The time stamp that begins a line of an unattended run: "14:30:05.123 ".
std::wstring InstallLogTime(int hour, int minute, int second, int millisecond);

// One line of the file as bytes: UTF-8 followed by CR LF. Line breaks inside the
// text (a multi-line error box) become CR LF too.
std::string InstallLogLine(const std::wstring& text);

inline constexpr char Utf8Bom[] = "\xEF\xBB\xBF";
