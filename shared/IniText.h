// The settings document as text: sections and keys in file order, parsed from
// and written back to the complex's INI files. Pure, so it is host-tested and
// fuzzed; IniDocument adds the file on disk.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "shared/TextCodec.h"

struct TIniKey {
    std::wstring Name;
    std::wstring Value;
};

struct TIniSection {
    std::wstring Name;
    std::vector<TIniKey> Keys;
};

// Maps a section or key name to the form in which names compare equal without
// regard to letter case. Windows passes the user locale's lower-casing.
using TNameFold = std::wstring (*)(std::wstring_view name);

// Built-in case folding for the scripts the complex's files use: Latin
// (ASCII and Latin-1), Cyrillic and Greek capitals become small letters.
std::wstring FoldNameSimple(std::wstring_view name);

// Blanks and control characters (everything up to U+0020) off both ends.
std::wstring_view TrimBlanks(std::wstring_view s);

class TIniText {
public:
    explicit TIniText(TNameFold fold = FoldNameSimple) : FFold(fold) {}

    // Replaces the document with what the text holds: comment lines (";"),
    // empty lines, lines before the first section and key lines under a
    // repeated section header are dropped.
    void Parse(std::wstring_view text);
    // Decodes by the byte-order mark, remembers the encoding, then parses.
    void LoadBytes(std::string_view bytes, const TAnsiCodec& ansi);

    // "[name]", then "key=value" per key, then an empty line; CR LF line ends.
    std::wstring Serialise() const;
    // Serialise() in the encoding found when loading (ANSI for a new document).
    std::string SaveBytes(const TAnsiCodec& ansi) const;

    const std::vector<TIniSection>& Sections() const { return FSections; }
    const TIniSection* FindSection(std::wstring_view name) const;
    // The first key of that name in the section, or null.
    const std::wstring* FindValue(std::wstring_view section, std::wstring_view key) const;

    // Replaces an existing key's value in place (keeping its spelling), or adds
    // the key at the end of its section; a missing section is added at the end.
    void SetString(std::wstring_view section, std::wstring_view key, std::wstring_view value);
    void SetInteger(std::wstring_view section, std::wstring_view key, long long value);

    TTextEncoding Encoding = TTextEncoding::Ansi;

private:
    TIniSection& SectionFor(std::wstring_view name);

    TNameFold FFold;
    std::vector<TIniSection> FSections;
    std::unordered_map<std::wstring, std::size_t> FIndex;  // folded name -> FSections index
};
