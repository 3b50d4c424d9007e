// A string of a version resource (VS_VERSIONINFO), read from the resource's
// bytes. Pure: no <windows.h>, so the parser is tested and fuzzed on the host.
#pragma once
#include <string>
#include <string_view>

// The value of key (for example "CompanyName") in the first string table of
// the resource; empty when the bytes hold none or do not parse.
std::wstring VersionString(std::string_view resource, std::wstring_view key);
