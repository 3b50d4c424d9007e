#include "shared/VL_Common_Proc.h"

#include "shared/ProfileReader.h"
#include "shared/VL_Common_Var.h"

void LoadLanguageTexts() {
    const std::wstring file = LanguageFile;
    FillLanguageTexts([&](const wchar_t* section, const wchar_t* key, const wchar_t* builtIn) {
        return ReadProfileString(file, section, key, builtIn);
    });
}
