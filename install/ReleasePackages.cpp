#include "install/ReleasePackages.h"

#include "platform/AppError.h"

long DateKey(const std::wstring& packagePath) {
    if (packagePath.size() < 6)
        throw EAppError(L"Имя пакета обновления не оканчивается датой ДДММГГ: " + packagePath);
    const std::wstring c = packagePath.substr(packagePath.size() - 6);
    for (wchar_t ch : c)
        if (ch < L'0' || ch > L'9')
            throw EAppError(L"Имя пакета обновления не оканчивается датой ДДММГГ: " + packagePath);
    const std::wstring key{c[4], c[5], c[2], c[3], c[0], c[1]};
    return std::stol(key);
}

std::size_t NewestPackage(const std::vector<std::wstring>& sortedPaths, const std::wstring& folder) {
    if (sortedPaths.empty())
        throw EAppError(L"Не найден ни один пакет обновления в каталоге " + folder);
    std::size_t best = 0;
    long bestKey = DateKey(sortedPaths[0]);
    for (std::size_t i = 0; i < sortedPaths.size(); ++i) {
        const long key = DateKey(sortedPaths[i]);
        if (key > bestKey) {
            bestKey = key;
            best = i;
        }
    }
    return best;
}

std::wstring ReleaseLevel(const std::wstring& packagePath) {
    const std::size_t slash = packagePath.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? packagePath : packagePath.substr(slash + 1);
    return name.empty() ? name : name.substr(1);
}
