// The system's side of text handling: the ANSI code page and the user
// locale's letter case, for the pure text and INI models.
#pragma once
#include <string>
#include <string_view>

#include "shared/TextCodec.h"

// CP_ACP through MultiByteToWideChar / WideCharToMultiByte.
const TAnsiCodec& SystemAnsiCodec();

// Lower case by the user's locale, for comparing names without regard to case.
std::wstring FoldNameLocale(std::wstring_view name);
