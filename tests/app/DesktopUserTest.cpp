#include <gtest/gtest.h>
#include <fstream>
#include "Runtime/StringConvert.h"
#include "app/CommonUtils.h"
#include "app/DesktopUser.h"
#include "support/TempFolder.h"

namespace {

// The first line a recorder wrote beside itself under suffix, once complete.
std::string Recorded(const std::wstring& exe, const wchar_t* suffix)
{
    for (int i = 0; i < 200; ++i, Sleep(25)) {
        std::ifstream file((exe + suffix).c_str());
        std::string line;
        if (std::getline(file, line) && !file.eof())
            return line;
    }
    return "(nothing recorded)";
}

std::wstring RecorderIn(const TempFolder& temp, const wchar_t* folder)
{
    const std::wstring dir = temp.File(folder);
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring exe = dir + L"\\TarvoLauncher.exe";
    EXPECT_TRUE(CopyFileW((GetModuleDir() + L"\\RecordArgs.exe").c_str(), exe.c_str(), FALSE));
    return exe;
}

} // namespace

// With the rights of a window's process (the test's own stands in for the
// desktop shell, which Wine does not name), and with ours when no shell
// answers: the same command line and folder either way.
TEST(DesktopUser, StartsWithTheExactCommandLineInTheProgramsFolder)
{
    TempFolder temp;
    HWND shell = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const struct {
        HWND shell;
        const wchar_t* folder;
        CDesktopUser::Rights rights;
    } cases[] = {{shell, L"with shell", CDesktopUser::Rights::Shell}, {nullptr, L"no shell", CDesktopUser::Rights::Ours}};
    for (const auto& c : cases) {
        const std::wstring exe = RecorderIn(temp, c.folder);
        const std::wstring line = exe + L" -i \"7\" -d";
        CDesktopUser::Started started = CDesktopUser::Start(exe, line, temp.File(c.folder), c.shell);
        EXPECT_EQ(started.error, 0u);
        EXPECT_EQ(started.rights, c.rights) << WideToUtf8(c.folder);
        EXPECT_EQ(Recorded(exe, L".args"), WideToUtf8(line));
        EXPECT_EQ(Recorded(exe, L".cwd"), WideToUtf8(temp.File(c.folder)));
    }
    DestroyWindow(shell);
}

TEST(DesktopUser, OpensThroughTheDesktopShellsOwnShellExecute)
{
    TempFolder temp;
    const std::wstring exe = RecorderIn(temp, L"page");
    EXPECT_EQ(CDesktopUser::Open(exe), CDesktopUser::Rights::Shell);
    EXPECT_NE(Recorded(exe, L".args"), "(nothing recorded)");
}
