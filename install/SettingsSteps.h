// The small files that the installation writes into the target folder:
// holter.ini's two keys, the first-run record and the variant's btooth.ini.
#pragma once
#include <string>

// Settings\holter.ini: [options] FilterType=0, HardwareType=1; other content
// stays. Raises EAppError when the file cannot be written. keepExisting: a
// file already there is left as it is (false returned: nothing written).
bool WriteInstallSettings(const std::wstring& target, bool keepExisting = false);

// Settings\lastnum.dta with one record dated now, only when the settings folder
// exists and the file does not. Every failure is ignored.
void WriteLastNumIfMissing(const std::wstring& target);

// btooth.ini: [Common] Disk=I; other content stays. Raises EAppError when the
// file cannot be written. keepExisting as for holter.ini.
bool WriteBtoothIni(const std::wstring& target, bool keepExisting = false);
