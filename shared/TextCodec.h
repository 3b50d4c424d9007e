// Byte <-> text conversion for the complex's text files (settings, language,
// log): byte-order-mark detection, UTF-8 and UTF-16 in both byte orders, the
// ANSI code page through a codec the caller supplies, and line splitting.
// No <windows.h>: the Windows side passes its code page codec in.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class TTextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

// The single-byte code page of the system. Windows passes CP_ACP; the host
// build and the fuzzers use Latin-1, which maps every byte one to one.
struct TAnsiCodec {
    std::wstring (*Decode)(std::string_view bytes);
    std::string (*Encode)(std::wstring_view text);
};
const TAnsiCodec& Latin1Codec();

// The encoding a file's first bytes announce; bomLength gets the mark's size
// (0 for Ansi, which is what a file without a mark is read as).
TTextEncoding DetectEncoding(std::string_view bytes, std::size_t& bomLength);

// Whole file to text: the mark decides the encoding and is not part of the text.
// Invalid UTF-8 becomes U+FFFD; an odd last byte of UTF-16 is dropped.
std::wstring DecodeText(std::string_view bytes, TTextEncoding& found, const TAnsiCodec& ansi);

// Text to file bytes, with the encoding's mark in front of Unicode encodings.
std::string EncodeText(std::wstring_view text, TTextEncoding encoding, const TAnsiCodec& ansi);

// Lines ended by CR LF, LF or a lone CR; text after the last break is a line too,
// an empty tail is not. Stops after maxLines lines.
std::vector<std::wstring> SplitLines(std::wstring_view text,
                                     std::size_t maxLines = static_cast<std::size_t>(-1));

// Appends one Unicode code point, as a surrogate pair where wchar_t is 16 bits.
void AppendCodePoint(std::wstring& out, char32_t cp);

// Appends one code point as UTF-8; surrogates and values past U+10FFFF become U+FFFD.
void AppendUtf8(std::string& out, char32_t cp);

// UTF-8 without a mark, both ways. Lone surrogates are written as U+FFFD; invalid
// or truncated byte sequences are read as U+FFFD, so any bytes decode.
std::string EncodeUtf8(std::wstring_view text);
std::wstring DecodeUtf8(std::string_view bytes);
