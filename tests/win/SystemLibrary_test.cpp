#include "platform/SystemLibrary.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/WinUtil.h"
#include "tests/win/TestFolder.h"

namespace {

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() &&
           _wcsnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

std::wstring FakeLibrary() { return BuildPath(FAKE_SYSSETUP); }

}  // namespace

// Every DLL the program loads at run time: where the system has it, it comes
// from System32, even with a file of the same name planted beside the program
// and in the current folder (as on installation media).
TEST(SystemLibrary, RuntimeLibrariesComeFromSystem32Only) {
    const std::wstring system = SystemFolder();
    ASSERT_FALSE(system.empty());
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(ExeFolder().c_str());
    int loaded = 0;
    for (size_t i = 0; i < RuntimeSystemLibraryCount; ++i) {
        const std::wstring name = RuntimeSystemLibraries[i];
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        const std::wstring planted = ExeFolder() + name;
        ASSERT_TRUE(CopyFileW(FakeLibrary().c_str(), planted.c_str(), FALSE));
        const bool inSystem = FileExists(system + name);
        HMODULE module = LoadSystemLibrary(name.c_str());
        if (module) {
            ++loaded;
            EXPECT_TRUE(StartsWithNoCase(ModulePath(module), system)) << ModulePath(module).c_str();
            FreeLibrary(module);
        } else {
            EXPECT_FALSE(inSystem) << "present in System32 but not loaded";
        }
        DeleteFileW(planted.c_str());
    }
    SetCurrentDirectoryW(previous);
    EXPECT_GE(loaded, 2) << "Wine has msftedit, riched20 and shcore";
}

TEST(SystemLibrary, NamesOutsideTheListAreRefusedAndMissingFunctionsAreNull) {
    EXPECT_EQ(LoadSystemLibrary(L"version.dll"), nullptr);
    EXPECT_EQ(LoadSystemLibrary(L"..\\system32\\shcore.dll"), nullptr);
    using TAny = void(WINAPI*)();
    EXPECT_NE(LateFunction<TAny>(L"kernel32.dll", "GetTickCount"), nullptr);
    EXPECT_EQ(LateFunction<TAny>(L"kernel32.dll", "NoSuchFunctionAnywhere"), nullptr);
    EXPECT_EQ(LateFunction<TAny>(HMODULE(nullptr), "GetTickCount"), nullptr);
}
