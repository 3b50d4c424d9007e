// Fuzz target for what a removal reads from the disk: the install record (a
// file anyone may edit) and a version resource. Whatever the bytes, every file
// the record yields passes the path rules, and writing the record again and
// reading it back gives the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "install/InstallRecord.h"
#include "install/VersionInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)VersionString(bytes, L"CompanyName");

    TInstallRecord record;
    std::size_t refused = 0;
    if (!ParseInstallRecord(bytes, record, refused)) return 0;
    for (const TRecordedFile& f : record.Files)
        if (!RecordablePath(f.Path)) std::abort();
    if (!record.Shortcut.empty() && !RecordableShortcut(record.Shortcut)) std::abort();

    TInstallRecord back;
    // The folder line is information only; a tab or line break in it would not survive.
    if (record.Folder.find_first_of(L"\t\r\n") != std::wstring::npos) return 0;
    if (!ParseInstallRecord(FormatInstallRecord(record), back, refused) || refused != 0) std::abort();
    if (back.Files != record.Files || back.Shortcut != record.Shortcut || back.Folder != record.Folder) std::abort();
    return 0;
}
