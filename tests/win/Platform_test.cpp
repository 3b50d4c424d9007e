#include <gtest/gtest.h>

#include <utility>

#include "platform/Com.h"
#include "platform/FlushBehind.h"
#include "platform/Gdi.h"
#include "platform/Handles.h"
#include "platform/WinUtil.h"

namespace {

bool IsOpenHandle(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != FALSE;
}

// Counts Release calls so a double release or a leak shows. COM objects are
// never deleted through the interface, hence no virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct TCountedUnknown : IUnknown {
    ULONG Refs = 1;
    int Releases = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++Refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ++Releases;
        return --Refs;
    }
};
#pragma GCC diagnostic pop

}  // namespace

TEST(PlatformHandles, MovedHandleIsClosedOnceByItsLastOwnerAndTheSourceIsEmpty) {
    const HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    {
        TKernelHandle first(raw);
        TKernelHandle second(std::move(first));
        EXPECT_FALSE(first.Valid());
        EXPECT_EQ(first.Get(), nullptr);
        first.Close();  // closing an empty wrapper touches nothing
        EXPECT_TRUE(IsOpenHandle(raw));
        TKernelHandle third;
        third = std::move(second);
        EXPECT_FALSE(second.Valid());
        EXPECT_TRUE(IsOpenHandle(raw));
    }
    EXPECT_FALSE(IsOpenHandle(raw));
}

TEST(PlatformHandles, AssigningOverAHandleClosesTheOldOneAndReleaseGivesUpOwnership) {
    const HANDLE a = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE b = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    TKernelHandle owner(a);
    owner = TKernelHandle(b);
    EXPECT_FALSE(IsOpenHandle(a));
    EXPECT_EQ(owner.Release(), b);
    EXPECT_FALSE(owner.Valid());
    EXPECT_TRUE(IsOpenHandle(b));
    CloseHandle(b);
}

TEST(PlatformHandles, FailedOpenIsNotValidAndFindSearchOverNothingIsEmpty) {
    TKernelHandle missing(CreateFileW(L"C:\\no such folder\\file", GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing.Valid());
    TFindSearch search(L"C:\\no such folder\\*");
    EXPECT_FALSE(search.Valid());
    TRegKey key;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\no such key here", 0, KEY_READ, key.Out()),
              ERROR_SUCCESS);
    EXPECT_FALSE(key);
}

TEST(PlatformCom, PointerIsReleasedOnceWhateverItWasMovedThrough) {
    TCountedUnknown object;
    {
        TComPtr<IUnknown> first(&object);
        TComPtr<IUnknown> second(std::move(first));
        EXPECT_FALSE(first);
        TComPtr<IUnknown> third;
        third = std::move(second);
        EXPECT_EQ(object.Releases, 0);
    }
    EXPECT_EQ(object.Releases, 1);

    TCountedUnknown held;
    TComPtr<IUnknown> ptr(&held);
    *ptr.Out() = nullptr;  // an out-parameter drops what was held first
    EXPECT_EQ(held.Releases, 1);
}

TEST(PlatformCom, BstrAndVariantLeaveNothingBehindWhenMoved) {
    TBstr text(std::wstring(L"a\0b", 3));
    EXPECT_EQ(text.Text(), std::wstring(L"a\0b", 3));
    TBstr moved(std::move(text));
    EXPECT_EQ(text.Get(), nullptr);
    EXPECT_EQ(text.Text(), L"");
    EXPECT_EQ(moved.Text().size(), 3u);

    TVariant value(L"Level");
    TVariant other(std::move(value));
    EXPECT_EQ(value.Get().vt, VT_EMPTY);
    ASSERT_EQ(other.Get().vt, VT_BSTR);
    EXPECT_STREQ(other.Get().bstrVal, L"Level");
}

TEST(PlatformCom, ApartmentScopeIsLeftSoTheThreadCanEnterAnotherModel) {
    {
        const TComApartment com;
        EXPECT_TRUE(SUCCEEDED(com.Result()));
    }
    // Still inside a single-threaded apartment this would fail with RPC_E_CHANGED_MODE.
    const HRESULT mta = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_TRUE(SUCCEEDED(mta));
    if (SUCCEEDED(mta)) CoUninitialize();
}

TEST(PlatformGdi, ObjectIsDeletedOnceAfterItsSelectionIsUndone) {
    const TMemoryDC dc(nullptr);
    ASSERT_TRUE(dc.Valid());
    const HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_PEN);
    HPEN raw = nullptr;
    {
        TPen pen(CreatePen(PS_SOLID, 2, RGB(1, 2, 3)));
        raw = pen.Get();
        const TPen owner(std::move(pen));
        EXPECT_FALSE(pen.Valid());
        const TSelectObject use(dc.Get(), owner.Get());
        EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), raw);
    }
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_PEN), original);
    EXPECT_EQ(GetObjectType(raw), 0u);
}

TEST(PlatformFlushBehind, AFailedFlushIsToldAtTheEndAndAGoodOneIsNot) {
    // Nothing to flush: a flush asked for fails, and Finish says so however
    // soon it comes; with no flush asked for, none failed.
    TFlushBehind idle(nullptr, 100);
    idle.Written(99);
    EXPECT_TRUE(idle.Finish());
    TFlushBehind broken(nullptr, 100);
    broken.Written(99);
    broken.Written(1);
    EXPECT_FALSE(broken.Finish());
    EXPECT_FALSE(broken.Finish());

    wchar_t temp[MAX_PATH] = {}, name[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    ASSERT_NE(GetTempFileNameW(temp, L"flb", 0, name), 0u);
    TKernelHandle file(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    ASSERT_TRUE(file.Valid());
    {
        TFlushBehind behind(file.Get(), sizeof(temp));
        DWORD written = 0;
        for (int i = 0; i < 64; ++i) {
            ASSERT_TRUE(WriteFile(file.Get(), temp, sizeof(temp), &written, nullptr));
            behind.Written(written);
        }
        EXPECT_TRUE(behind.Finish());
    }  // a finished one is destroyed without waiting again
}

TEST(PlatformFolders, WindowsFolderEndsWithABackslashAndHoldsTheFontsFolder) {
    const std::wstring folder = GetWindowsFolder();
    wchar_t system[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryW(system, MAX_PATH);
    ASSERT_GT(n, 0u);
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_EQ(folder.substr(0, n), std::wstring(system, n));
    EXPECT_TRUE(DirectoryExists(folder + L"fonts"));
}
