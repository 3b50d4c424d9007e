// lastnum.dta is written whole or not at all: a drive that is full when the
// record is written must not leave an empty file, which every later
// installation would then keep as the first-run record.
#include <gtest/gtest.h>

#include "install/SettingsSteps.h"
#include "tests/gui/TmpfsDrive.h"
#include "tests/win/EngineTestFiles.h"

TEST(LastNumWrite, AFullDriveLeavesNoRecord) {
    fault::TTmpfsDrive drive(L'Q', 256u << 10);
    if (!drive.Ready()) GTEST_SKIP() << drive.WhyNot();
    const std::wstring T = drive.Root() + L"T\\";
    CreateDirectoryW(T.c_str(), nullptr);
    CreateDirectoryW((T + L"Settings").c_str(), nullptr);
    // Fill the drive to the last byte.
    HANDLE h = CreateFileW((drive.Root() + L"filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    std::string block(4096, 'F');
    DWORD written = 0;
    while (WriteFile(h, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) && written == block.size()) {
    }
    while (WriteFile(h, block.data(), 1, &written, nullptr) && written == 1) {
    }
    CloseHandle(h);

    WriteLastNumIfMissing(T);
    const std::string record = GetFile(T + L"Settings\\lastnum.dta");
    EXPECT_TRUE(record == "<missing>" || record.size() == 14) << "lastnum.dta of " << record.size() << " bytes";

    // With room again, the record is written.
    DeleteFileW((drive.Root() + L"filler").c_str());
    WriteLastNumIfMissing(T);
    EXPECT_EQ(14u, GetFile(T + L"Settings\\lastnum.dta").size());
}
