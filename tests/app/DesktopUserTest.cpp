#include <gtest/gtest.h>
#include "Runtime/StringConvert.h"
#include "app/DesktopUser.h"
#include "support/Recorder.h"
#include "support/TempFolder.h"

namespace {

std::wstring RecorderIn(const TempFolder& temp, const wchar_t* folder)
{
    CreateDirectoryW(temp.File(folder).c_str(), nullptr);
    return Recorder::CopyTo(temp.File(folder));
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
        EXPECT_EQ(Recorder::FirstLine(exe), WideToUtf8(line));
        EXPECT_EQ(Recorder::FirstLine(exe, L".cwd"), WideToUtf8(temp.File(c.folder)));
    }
    DestroyWindow(shell);
}

TEST(DesktopUser, OpensThroughTheDesktopShellsOwnShellExecute)
{
    TempFolder temp;
    const std::wstring exe = RecorderIn(temp, L"page");
    // In a fresh prefix the desktop's shell may still be starting: until it
    // answers, the page opens the old way.
    CDesktopUser::Rights rights = CDesktopUser::Open(exe);
    for (int i = 0; i < 40 && rights != CDesktopUser::Rights::Shell; ++i, Sleep(250))
        rights = CDesktopUser::Open(exe);
    EXPECT_EQ(rights, CDesktopUser::Rights::Shell);
    EXPECT_NE(Recorder::FirstLine(exe), "(nothing recorded)");
}
