// What the operator reads, letter for letter (typos included). Where the program
// keeps a text as a constant of a header, the tests take it from there; the
// texts it keeps inside its windows' code are written here once.
#pragma once
#include <string>

#include "app/PathRules.h"            // NoPathText, RootFolderText
#include "install/DriverStage.h"       // DriverQuestion, DriverNotInstalled
#include "install/InstallProcedure.h"  // FinalQuestion
#include "install/ProgressLog.h"       // MarkDone, MarkError

namespace texts {

inline const std::wstring DriverWarning =
    L"Внимание!\r Если на вашем компьютере уже установлен комплекс \"Велитор-Vudeze\",\r"
    L" снимите галочку установки драйвера!";
inline const std::wstring CancelQuestion = L"Вы уверены, что хотите отменить процесс установки?";
inline const std::wstring RestartQuestion =
    L"Изменения в настройки внесены, для того чтобы они\r\n"
    L"вступили в силу, требуется перзагрузить операционную систему.\r\n"
    L"Выполнить перезагрузку сейчас?";

inline const std::wstring LinkName = L"Велитор - Vudeze.lnk";
inline const std::wstring LinkDescription =
    L"Комплекс суточного мониторирования электрокардиограмм \"Велитор - Vudeze\"";

// Progress lines.
inline const std::wstring SettingsLine = L"Создание настроечных файлов....Завершено";
inline const std::wstring DatabaseFolderLine = L"Каталог <DTAfb> создан...";
inline const std::wstring CopyLine = L"Копирование файла ";  // + name + "...." + mark
inline const std::wstring FontLine = L"Шрифт <";
inline const std::wstring DriverStartLine = L"Началась установка драйверов устройства...";
inline const std::wstring DriverEndLine = L"Установка драйверов устройства завершена";

}  // namespace texts
