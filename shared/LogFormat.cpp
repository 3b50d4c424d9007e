#include "shared/LogFormat.h"

namespace {

void Two(std::wstring& out, int v) {
    out.push_back(static_cast<wchar_t>(L'0' + (v / 10) % 10));
    out.push_back(static_cast<wchar_t>(L'0' + v % 10));
}

bool IsBreakUnit(std::string_view b, std::size_t i, TTextEncoding e, char which) {
    switch (e) {
        case TTextEncoding::Utf16LE: return b[i] == which && b[i + 1] == '\0';
        case TTextEncoding::Utf16BE: return b[i] == '\0' && b[i + 1] == which;
        default: return b[i] == which;
    }
}

}  // namespace

std::wstring FormatLogTimestamp(const TLogTime& t, wchar_t dateSeparator, wchar_t timeSeparator) {
    std::wstring s;
    s.reserve(19);
    Two(s, t.Day);
    s.push_back(dateSeparator);
    Two(s, t.Month);
    s.push_back(dateSeparator);
    Two(s, t.Year / 100);
    Two(s, t.Year % 100);
    s.push_back(L' ');
    Two(s, t.Hour);
    s.push_back(timeSeparator);
    Two(s, t.Minute);
    s.push_back(timeSeparator);
    Two(s, t.Second);
    return s;
}

std::wstring FormatLogLine(std::wstring_view prefix, std::wstring_view timestamp,
                           std::wstring_view message) {
    std::wstring line;
    line.reserve(prefix.size() + timestamp.size() + 2 + message.size());
    line.append(prefix).append(timestamp).append(L": ").append(message);
    return line;
}

std::wstring ByteArrayDump(const TByteArray32K& bytes) {
    static constexpr wchar_t Hex[] = L"0123456789ABCDEF";
    std::wstring s;
    s.reserve(bytes.size() * 3);
    for (std::uint8_t b : bytes) {
        s.push_back(Hex[b >> 4]);
        s.push_back(Hex[b & 0x0F]);
        s.push_back(L' ');
    }
    return s;
}

void TrimLogLines(std::vector<std::wstring>& lines, std::int32_t maxLines) {
    const std::size_t keep = maxLines < 0 ? 0 : static_cast<std::size_t>(maxLines);
    if (lines.size() > keep) lines.resize(keep);
}

std::string SerialiseLog(const std::vector<std::wstring>& lines, TTextEncoding encoding,
                         const TAnsiCodec& ansi) {
    std::size_t total = 0;
    for (const std::wstring& l : lines) total += l.size() + 2;
    std::wstring text;
    text.reserve(total);
    for (const std::wstring& l : lines) text.append(l).append(L"\r\n");
    return EncodeText(text, encoding, ansi);
}

std::vector<std::wstring> ParseLogFile(std::string_view bytes, bool truncated, std::size_t maxLines,
                                       TTextEncoding& encoding, const TAnsiCodec& ansi) {
    std::size_t bom = 0;
    encoding = DetectEncoding(bytes, bom);
    const std::size_t unit =
        (encoding == TTextEncoding::Utf16LE || encoding == TTextEncoding::Utf16BE) ? 2 : 1;

    // Find where the maxLines-th line ends, so only that head is decoded. CR and
    // LF never occur inside a multi-byte character of the supported encodings.
    std::size_t end = bom;
    std::size_t lines = 0;
    std::size_t lastBreakEnd = bom;
    while (end + unit <= bytes.size() && lines < maxLines) {
        const bool cr = IsBreakUnit(bytes, end, encoding, '\r');
        const bool lf = !cr && IsBreakUnit(bytes, end, encoding, '\n');
        end += unit;
        if (cr || lf) {
            if (cr && end + unit <= bytes.size() && IsBreakUnit(bytes, end, encoding, '\n'))
                end += unit;
            ++lines;
            lastBreakEnd = end;
        }
    }
    if (lines < maxLines && !truncated) end = bytes.size();  // a last line without a break
    else if (lines < maxLines) end = lastBreakEnd;            // cut off: drop the partial line

    // The head keeps the mark in front, so the decoder sees the same encoding.
    TTextEncoding found;
    return SplitLines(DecodeText(bytes.substr(0, end), found, ansi), maxLines);
}
