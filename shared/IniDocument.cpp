#include "shared/IniDocument.h"

#include "platform/AppError.h"
#include "platform/WinUtil.h"
#include "shared/FileIO.h"
#include "shared/SystemText.h"

namespace {
// No settings file is this large; refusing it beats rewriting a truncated copy.
constexpr std::size_t MaxSettingsFileSize = 64u << 20;
}  // namespace

IniDocument::IniDocument(const std::wstring& path) : FPath(path), FText(FoldNameLocale) {
    std::string bytes;
    DWORD error = 0;
    switch (ReadFileHead(path, MaxSettingsFileSize + 1, bytes, error)) {
        case TReadResult::Missing:
            return;
        case TReadResult::Failed:
            throw EAppError(L"Cannot open file \"" + path + L"\". " + SysErrorMessage(error));
        case TReadResult::Ok:
            break;
    }
    if (bytes.size() > MaxSettingsFileSize)
        throw EAppError(L"Cannot open file \"" + path + L"\". " +
                        SysErrorMessage(ERROR_FILE_TOO_LARGE));
    FText.LoadBytes(bytes, SystemAnsiCodec());
}

void IniDocument::SetInteger(const std::wstring& section, const std::wstring& key, long long value) {
    FText.SetInteger(section, key, value);
}

void IniDocument::SetString(const std::wstring& section, const std::wstring& key,
                            const std::wstring& value) {
    FText.SetString(section, key, value);
}

void IniDocument::WriteBack() {
    WriteFileAtomic(FPath, FText.SaveBytes(SystemAnsiCodec()));
}
