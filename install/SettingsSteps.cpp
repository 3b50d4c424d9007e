#include "install/SettingsSteps.h"

#include <windows.h>

#include "install/LastNum.h"
#include "platform/Handles.h"
#include "platform/WinUtil.h"
#include "shared/IniDocument.h"
#include "shared/VL_Common_Const.h"

bool WriteInstallSettings(const std::wstring& target, bool keepExisting) {
    const std::wstring file = target + SettingsSubfolder + SettingsFileName;
    if (keepExisting && FileExists(file)) return false;
    IniDocument ini(file);
    ini.SetInteger(L"options", L"FilterType", 0);
    ini.SetInteger(L"options", L"HardwareType", 1);
    ini.WriteBack();
    return true;
}

void WriteLastNumIfMissing(const std::wstring& target) {
    const std::wstring folder = target + SettingsSubfolder;
    const std::wstring file = folder + L"lastnum.dta";
    if (!DirectoryExists(folder) || FileExists(file)) return;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const auto record = EncodeLastNumRecord(DateTimeToDayCount(
        now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds));
    // Written beside it and renamed into place once whole: an interrupted or
    // failed write must not leave a short file that later runs would keep.
    const std::wstring part = file + L".part";
    TKernelHandle h(CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) return;
    DWORD written = 0;
    const bool whole = WriteFile(h.Get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr) &&
                       written == record.size() && FlushFileBuffers(h.Get());
    h.Close();  // closed before the rename
    if (!whole || !MoveFileExW(part.c_str(), file.c_str(), MOVEFILE_WRITE_THROUGH)) DeleteFileW(part.c_str());
}

bool WriteBtoothIni(const std::wstring& target, bool keepExisting) {
    const std::wstring file = target + L"btooth.ini";
    if (keepExisting && FileExists(file)) return false;
    IniDocument ini(file);
    ini.SetString(L"Common", L"Disk", L"I");
    ini.WriteBack();
    return true;
}
