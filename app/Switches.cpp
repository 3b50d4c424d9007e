#include "app/Switches.h"

#include "app/PathRules.h"

namespace {

// An argument as a refusal quotes it: a very long one is cut short.
std::wstring Shown(const std::wstring& arg) {
    return arg.size() <= 80 ? arg : arg.substr(0, 80) + L"...";
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; }

bool SameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

}  // namespace

const wchar_t* const UsageText =
    L"Install.exe [/VERYSILENT | /SILENT] [/DIR=\"папка\"] [/NODRIVER] [/LOG=\"файл\"]\r\n"
    L"            [/NEWDATABASE] [/NEWSETTINGS] [/TIMEOUT=минуты]\r\n"
    L"Uninstall.exe /UNINSTALL [/VERYSILENT | /SILENT] [/LOG=\"файл\"]\r\n"
    L"Install.exe /? | /HELP\r\n"
    L"\r\n"
    L"  /VERYSILENT    установка без окон и вопросов\r\n"
    L"  /SILENT        только страница хода установки, без вопросов\r\n"
    L"  /DIR=\"папка\"   каталог установки (по умолчанию C:\\<папка продукта>)\r\n"
    L"  /NODRIVER      без драйвера интерфейсного блока\r\n"
    L"  /LOG=\"файл\"    копия Install.log (Uninstall.log) в этом файле\r\n"
    L"  /NEWDATABASE   база данных дистрибутива вместо имеющейся (та сохраняется в резервной копии)\r\n"
    L"  /NEWSETTINGS   настройки дистрибутива вместо имеющихся\r\n"
    L"  /TIMEOUT=N     ждать программу установки драйвера и сценарий выпуска не дольше N минут\r\n"
    L"                 (по умолчанию 30)\r\n"
    L"  /UNINSTALL     удаление комплекса программой Uninstall.exe из каталога\r\n"
    L"                 установки; база данных и настройки остаются\r\n"
    L"  /?, /HELP      эта справка\r\n"
    L"\r\n"
    L"Коды завершения: 0 установлено (удалено); 1603 ошибка установки (удаления);\r\n"
    L"1618 уже идёт другая установка или удаление; 1639 неверная командная строка.\r\n";

std::vector<std::wstring> SplitArguments(std::wstring_view line, bool& unbalanced) {
    std::vector<std::wstring> args;
    unbalanced = false;
    size_t i = 0;
    bool first = true;
    while (true) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) break;
        std::wstring arg;
        bool quoted = false;
        for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
            if (line[i] == L'"') quoted = !quoted;
            else arg += line[i];
        }
        if (quoted) {
            unbalanced = true;
            return {};
        }
        if (!first) args.push_back(std::move(arg));
        first = false;
    }
    return args;
}

TSwitches ParseSwitches(std::wstring_view commandLine) {
    TSwitches s;
    bool unbalanced = false;
    const std::vector<std::wstring> args = SplitArguments(commandLine, unbalanced);
    if (unbalanced) {
        s.Error = L"Незакрытые кавычки в командной строке";
        return s;
    }
    bool help = false, silent = false, verySilent = false, noDriver = false, dir = false, log = false;
    bool newDatabase = false, newSettings = false, timeout = false, uninstall = false;
    std::wstring dirValue, timeoutValue;
    auto refuse = [&s](const std::wstring& why) {
        if (s.Error.empty()) s.Error = why;
    };
    for (const std::wstring& arg : args) {
        if (arg.size() < 2 || (arg[0] != L'/' && arg[0] != L'-')) {
            refuse(L"Неизвестный параметр: " + Shown(arg));
            continue;
        }
        const size_t eq = arg.find(L'=');
        const std::wstring_view name = std::wstring_view(arg).substr(1, eq == std::wstring::npos ? std::wstring::npos : eq - 1);
        const bool hasValue = eq != std::wstring::npos;
        const std::wstring value = hasValue ? arg.substr(eq + 1) : std::wstring();
        auto flag = [&](bool& seen) {
            if (hasValue) refuse(L"Параметр без значения: " + Shown(arg));
            else if (seen) refuse(L"Параметр повторён: " + Shown(arg));
            seen = true;
        };
        auto valued = [&](bool& seen) {
            if (!hasValue) refuse(L"Нет значения: " + Shown(arg));
            else if (seen) refuse(L"Параметр повторён: " + Shown(arg));
            seen = true;
        };
        if (SameName(name, L"?") || SameName(name, L"HELP")) flag(help);
        else if (SameName(name, L"VERYSILENT")) flag(verySilent);
        else if (SameName(name, L"SILENT")) flag(silent);
        else if (SameName(name, L"NODRIVER")) flag(noDriver);
        else if (SameName(name, L"UNINSTALL")) flag(uninstall);
        else if (SameName(name, L"DIR")) {
            valued(dir);
            dirValue = value;
        } else if (SameName(name, L"LOG")) {
            valued(log);
            s.LogFile = TrimControl(value);
        } else if (SameName(name, L"NEWDATABASE")) {
            flag(newDatabase);
        } else if (SameName(name, L"NEWSETTINGS")) {
            flag(newSettings);
        } else if (SameName(name, L"TIMEOUT")) {
            valued(timeout);
            timeoutValue = value;
        } else {
            refuse(L"Неизвестный параметр: " + Shown(arg));
        }
    }
    if (silent && verySilent) refuse(L"/SILENT и /VERYSILENT вместе");
    if (uninstall && (dir || noDriver || newDatabase || newSettings || timeout))
        refuse(L"/DIR, /NODRIVER, /NEWDATABASE, /NEWSETTINGS и /TIMEOUT не действуют с /UNINSTALL");
    if (!silent && !verySilent && !help && (dir || log || noDriver || newDatabase || newSettings || timeout))
        refuse(L"/DIR, /LOG, /NODRIVER, /NEWDATABASE, /NEWSETTINGS и /TIMEOUT действуют только с /SILENT или "
               L"/VERYSILENT");
    if (dir) {
        const TPathResult p = NormalizeInstallPath(dirValue);
        if (p.check == TPathCheck::Empty) refuse(NoPathText);
        else if (p.check == TPathCheck::Root) refuse(RootFolderText);
        else if (!UsablePath(p.path) || p.path.size() > MaxFolderLength) refuse(L"Недопустимый каталог: " + Shown(dirValue));
        s.Dir = p.path;
    }
    if (log && (s.LogFile.empty() || !UsablePath(s.LogFile) || s.LogFile.size() > MaxFileLength))
        refuse(L"Недопустимый файл журнала: " + Shown(s.LogFile));
    if (timeout) {
        // Whole minutes, at least one and at most a day.
        unsigned long minutes = 0;
        bool digits = !timeoutValue.empty() && timeoutValue.size() <= 4;
        for (wchar_t c : timeoutValue) {
            if (c < L'0' || c > L'9') digits = false;
            else minutes = minutes * 10 + static_cast<unsigned long>(c - L'0');
        }
        if (!digits || minutes < 1 || minutes > MaxWaitMinutes)
            refuse(L"Недопустимое время ожидания: " + Shown(timeoutValue) + L" (от 1 до " +
                   std::to_wstring(MaxWaitMinutes) + L" минут)");
        else s.WaitMinutes = minutes;
    }
    s.KeepData = !newDatabase;
    s.KeepSettings = !newSettings;
    s.Driver = !noDriver;
    s.Uninstall = uninstall && !help;
    s.Mode = help ? TRunMode::Help
             : verySilent ? TRunMode::VerySilent
             : silent ? TRunMode::Silent
                      : TRunMode::Wizard;
    return s;
}
