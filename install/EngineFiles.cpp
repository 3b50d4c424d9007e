#include "install/EngineFiles.h"

#include <cstdio>

std::vector<std::wstring> EngineRuntimeFiles(int windowsChoice) {
    const bool xp = windowsChoice == wcWindowsXP;
    std::vector<std::wstring> names = {
        L"aliases.conf", L"firebird.conf", L"fbclient.Dll", L"ib_util.Dll",
        L"icudt30.Dll",  L"icuin30.Dll",   L"icuuc30.Dll",
        xp ? L"msvcp71.Dll" : L"msvcp80.Dll",
        xp ? L"msvcr71.Dll" : L"msvcr80.Dll",
        L"firebird.msg"};
    if (!xp) {
        names.push_back(L"gbak.exe");
        names.push_back(L"gds32.dll");
    }
    return names;
}

const std::vector<std::wstring>& IntlFiles() {
    static const std::vector<std::wstring> names = {L"fbintl.conf", L"fbintl.dll"};
    return names;
}

const std::vector<std::wstring>& EngineUdfFiles() {
    static const std::vector<std::wstring> names = {L"fbudf.dll", L"ib_udf.dll", L"fbudf.sql",
                                                    L"ib_udf.sql", L"ib_udf2.sql"};
    return names;
}

const std::vector<std::wstring>& ProductUdfFiles() {
    static const std::vector<std::wstring> names = {L"Collate.Dll", L"StrAt.Dll", L"TraceWork.Dll",
                                                    L"Verdict.Dll"};
    return names;
}

std::wstring DatabaseBackupName(int year, int month, int day, int hour, int minute, int second,
                                int attempt) {
    wchar_t stamp[64];
    std::swprintf(stamp, 64, L"%04d%02d%02d-%02d%02d%02d", year, month, day, hour, minute, second);
    std::wstring name = DatabaseFileName + L"." + stamp;
    if (attempt > 0) name += L"-" + std::to_wstring(attempt);
    return name + L".bak";
}
