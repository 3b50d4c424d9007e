// The log file's format: line layout, timestamp, byte-array dump, trimming,
// and reading and writing the file's text. Pure; TMyLog does the I/O.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shared/TextCodec.h"

// The most lines a log file keeps.
constexpr std::int32_t LogMaxLines = 1000;

// The program-wide text in front of every line's timestamp.
constexpr std::wstring_view LogPrefix = L"[Install] ";

struct TLogTime {
    int Year, Month, Day, Hour, Minute, Second;
};

// "DD/MM/YYYY HH:NN:SS" with the given date and time separators.
std::wstring FormatLogTimestamp(const TLogTime& t, wchar_t dateSeparator, wchar_t timeSeparator);

// prefix + timestamp + ": " + message.
std::wstring FormatLogLine(std::wstring_view prefix, std::wstring_view timestamp,
                           std::wstring_view message);

using TByteArray32K = std::array<std::uint8_t, 32768>;

// Two upper-case hex digits and a blank per byte: 98304 characters.
std::wstring ByteArrayDump(const TByteArray32K& bytes);

// Drops lines from the end (the oldest) while there are more than maxLines.
void TrimLogLines(std::vector<std::wstring>& lines, std::int32_t maxLines);

// Every line followed by CR LF, in the encoding (with its mark when Unicode).
std::string SerialiseLog(const std::vector<std::wstring>& lines, TTextEncoding encoding,
                         const TAnsiCodec& ansi);

// The lines of a log file's bytes, newest first as stored, at most maxLines of
// them; only that head of the file is decoded. When the bytes are a cut-off
// head of a larger file (truncated), a last line without its line break is
// incomplete and dropped. encoding gets what the file's mark says.
std::vector<std::wstring> ParseLogFile(std::string_view bytes, bool truncated, std::size_t maxLines,
                                       TTextEncoding& encoding, const TAnsiCodec& ansi);
