#include "shared/VL_Common_Var.h"

#include "platform/WinUtil.h"
#include "shared/ProfileReader.h"
#include "shared/SettingsForms.h"
#include "shared/VL_Common_Const.h"

std::wstring ProgramFolder;
TSettings CommonSettings;
std::wstring LanguageCode;
std::wstring LanguageFile;
TStartXmlObject StartXmlObject;
TNumberFormat NumberFormat;

void ReadSettings(const std::wstring& path) {
    NumberFormat.DecimalSeparator = L'.';
    NumberFormat.ThousandSeparator = L' ';
    // Each key is a read of the file of its own (an open on a network share, from
    // media that many computers read at once): a file that is not there at all,
    // as on the installation media, gives every default from one look.
    const bool absent = ProfileFileAbsent(path);
    FillSettings(CommonSettings, [&](const wchar_t* key) {
        return absent ? std::wstring() : ReadProfileString(path, L"options", key, L"");
    });
}

void InitCommonVars() {
    StartXmlObject.clear();
    ProgramFolder = ExeFolder();
    ReadSettings(ProgramFolder + SettingsSubfolder + SettingsFileName);
    LanguageFile.clear();
    LanguageCode = L"RUS";
    // Exactly "ENG": the comparison is ordinal and case-sensitive.
    if (CommonSettings.LanguageSetting == L"ENG") {
        LanguageFile = ProgramFolder + SettingsSubfolder + L"EngView.lng";
        LanguageCode = L"ENG";
    }
}

void FinalizeCommonVars() {
    std::wstring().swap(ProgramFolder);
    std::wstring().swap(LanguageCode);
    std::wstring().swap(LanguageFile);
    CommonSettings = TSettings{};
    StartXmlObject.clear();
}
