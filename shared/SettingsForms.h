// Value forms of the settings file and the filling of TSettings from it.
// Pure: the lookup of a key's text is passed in (the profile reader on
// Windows, the INI text model in tests and fuzzing).
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "shared/VL_Common_Types.h"

// A 32-bit integer: decimal with an optional sign, or hexadecimal after "0x"
// or "$" (up to eight digits; 0xFFFFFFFF is -1). Leading blanks are allowed;
// anything else, overflow included, gives nothing.
std::optional<std::int32_t> ParseSettingsInteger(std::wstring_view text);

// An integer; 0 is false, any other is true.
std::optional<bool> ParseSettingsBoolean(std::wstring_view text);

// A decimal number with "." as separator and an optional exponent, finite.
std::optional<double> ParseSettingsFloat(std::wstring_view text);

// A byte-sized integer key: in 0..255, otherwise nothing, so the caller keeps
// the key's default (FilterType, new_reg).
std::optional<std::uint8_t> ParseSettingsByte(std::wstring_view text);

// The text of a key in section "options"; an empty text counts as missing.
using TSettingsLookup = std::function<std::wstring(const wchar_t* key)>;

// Sets every field of the record from the lookup, in the order the complex
// reads them, each falling back to its default.
void FillSettings(TSettings& s, const TSettingsLookup& lookup);
