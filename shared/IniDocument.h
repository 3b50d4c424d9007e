// The settings document: an INI file read into memory, changed key by key
// and written back whole, in the encoding it was found in.
#pragma once
#include <string>

#include "shared/IniText.h"

class IniDocument {
public:
    // Reads the file when present; a missing file gives an empty document.
    // A file that exists but cannot be read raises EAppError rather than
    // being taken for empty, which would lose its keys on write-back.
    explicit IniDocument(const std::wstring& path);

    void SetInteger(const std::wstring& section, const std::wstring& key, long long value);
    void SetString(const std::wstring& section, const std::wstring& key, const std::wstring& value);

    // Replaces the file with the whole document in one step. On failure it
    // raises EAppError "Cannot create file "<path>". <system text>" and the
    // file on disk is unchanged.
    void WriteBack();

    const TIniText& Text() const { return FText; }
    const std::wstring& Path() const { return FPath; }

private:
    std::wstring FPath;
    TIniText FText;
};
