#include <gtest/gtest.h>
#include <fstream>
#include "Runtime/FileSystem.h"
#include "Runtime/Process.h"
#include "Runtime/StringConvert.h"
#include "support/TempFolder.h"

TEST(FileSystem, ParentDirAndFormatString)
{
    EXPECT_EQ(ParentDir(L"C:/A/B/"), L"C:\\A");
    EXPECT_EQ(ParentDir(L"C:\\A\\B\\TarvoLauncher.exe"), L"C:\\A\\B");
    EXPECT_EQ(ParentDir(L"name"), L"");
    EXPECT_EQ(ParentDir(L""), L"");
    EXPECT_EQ(ParentDir(L"C:\\"), L"");
    EXPECT_EQ(ParentDir(L"C:\\TarvoLauncher.exe"), L"C:\\") << "a drive's root, not its current folder";
    EXPECT_EQ(FormatString(L"%s\\%s", L"D:\\游戏", L"tvinstaller.exe"), L"D:\\游戏\\tvinstaller.exe");
    EXPECT_EQ(FormatString(nullptr), L"");
    std::wstring big(5000, L'x');
    EXPECT_EQ(FormatString(L"%s!", big.c_str()), big + L"!");
    wchar_t buffer[kFormatBufferUnits];
    FormatString(buffer, L"%s", big.c_str());
    EXPECT_EQ(std::wstring(buffer).size(), kFormatBufferUnits - 1) << "the fixed form is cut to its buffer";
}

TEST(FileSystem, FilesAndFolders)
{
    TempFolder folder;
    std::wstring nested = folder.File(L"a\\b\\c");
    EXPECT_TRUE(CreateDir(nested).Ok());
    EXPECT_TRUE(CreateDir(nested).Ok()) << "an existing folder is success";
    EXPECT_NE(GetFileAttributesW(nested.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(CreateDir(L"Z:\\proc\\1\\no-such-place").type, kErrorSys);

    std::wstring file = folder.File(L"data.bin");
    EXPECT_EQ(GetFileSize64(file), -1);
    EXPECT_TRUE(DeleteFileIfExists(file)) << "nothing to delete is success";
    EXPECT_FALSE(MoveFileReplace(file, folder.File(L"moved.bin"))) << "a missing source fails";
    std::ofstream(file.c_str(), std::ios::binary) << std::string(1234, 'd');
    EXPECT_EQ(GetFileSize64(file), 1234);
    HANDLE locked = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize64(file), 1234) << "a file locked against reading is measured by its find record";
    CloseHandle(locked);

    std::wstring target = folder.File(L"a\\target.bin");
    std::ofstream(target.c_str(), std::ios::binary) << "old";
    EXPECT_TRUE(MoveFileReplace(file, target));
    EXPECT_EQ(GetFileSize64(target), 1234) << "the target was replaced";
    EXPECT_TRUE(DeleteFileIfExists(target));
    EXPECT_EQ(GetFileSize64(target), -1);
}

TEST(Process, ProcessesAndModuleFolder)
{
    const std::wstring& dir = GetModuleDir();
    EXPECT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), L'\\');
    wchar_t exe[512];
    GetModuleFileNameW(nullptr, exe, 512);
    EXPECT_EQ(ParentDir(exe), dir);

    EXPECT_EQ(RunProcess(L"C:\\no\\such.exe", L"\"C:\\no\\such.exe\""), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    wchar_t cmd[MAX_PATH];
    GetSystemDirectoryW(cmd, MAX_PATH);
    std::wstring shell = std::wstring(cmd) + L"\\cmd.exe";
    PROCESS_INFORMATION info = {};
    ASSERT_EQ(RunProcessKeepHandles(shell, L"cmd.exe /c exit 3", info), 0u);
    ASSERT_EQ(WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    EXPECT_EQ(code, 3u);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);

    PROCESS_INFORMATION ids = {};
    EXPECT_EQ(RunProcess(shell, L"cmd.exe /c exit 0", &ids), 0u);
    EXPECT_NE(ids.dwProcessId, 0u) << "only the ids are left to the caller";
}
