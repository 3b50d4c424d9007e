// The descriptive name of a TrueType or OpenType font, read from the font's own
// 'name' table: what the system shows for the font (for example "Arial Bold")
// and what the installer registers when the system cannot say. The media
// checker predicts the registry value with the same reader. Pure and
// bounds-checked, so a damaged file gives an empty name, never a crash.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The name chosen for one font among the records of its 'name' table.
struct TFontNameChoice {
    std::wstring Name;          // UTF-16 code units; empty when no record serves
    bool FullName = false;      // Name is the full name (id 4), not the family name standing in
    bool FullNameSeen = false;  // the table holds a full-name record, usable or not
    bool Inexact = false;       // the record held what Name cannot carry: Mac Roman beyond
                                // ASCII (read as '?') or a byte left over at a UTF-16 end
};

// Chooses among the records of one 'name' table (table: its size bytes): the
// full name (id 4), the family name (id 1) as a last resort; Windows records
// (symbol, BMP or full Unicode encoding) first, US English before the other
// languages, then Unicode-platform records, then Mac Roman in language 0; the
// first of equals wins.
TFontNameChoice ChooseFontName(const uint8_t* table, size_t size);

// Full name of a font file's data, as ChooseFontName picks it. A collection
// joins its fonts' names with " & ". Empty when the data is not a font or
// holds no usable name.
std::wstring FontFullName(const uint8_t* data, size_t size);
