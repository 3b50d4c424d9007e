// The product's identity, read from the program's own string table.
#pragma once
#include <string>

// Text of the string-table entry id of the program's own module; an id without
// a text gives the empty string, a negative id raises EAppError.
std::wstring LoadProductString(int id);

// True when the product title equals the variant's name, compared after the
// system's locale-aware upper-casing.
bool IsProductVariant(const std::wstring& productTitle);
