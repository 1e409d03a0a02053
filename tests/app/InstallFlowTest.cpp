#include <gtest/gtest.h>
#include <initializer_list>
#include "app/InstallFlow.h"
#include "app/InstallRules.h"
#include "support/TempFolder.h"

namespace {

using S = InstallState;
using E = InstallEvent;

// Fires the events in order and returns how many the flow accepted.
int Drive(CInstallFlow& flow, std::initializer_list<E> events)
{
    int accepted = 0;
    for (E e : events) accepted += flow.Fire(e) ? 1 : 0;
    return accepted;
}

} // namespace

TEST(InstallFlow, RoadsThroughTheFlowEndWhereTheyShould)
{
    struct Road {
        const char* name;
        std::initializer_list<E> events;
        S end;
        int accepted;
    } roads[] = {
        {"plain install", {E::NoInstallFound, E::InstallClicked, E::Progress, E::Downloaded, E::DigestGood,
                           E::InstallerEnded, E::TicksDone}, S::Closing, 7},
        {"not agreed stays", {E::NoInstallFound, E::NotAgreed, E::NotAgreed}, S::Welcome, 3},
        {"folder page then retry", {E::NoInstallFound, E::FolderClicked, E::BadFolder, E::FolderEdited, E::GoodFolder,
                                    E::FetchFailed, E::FetchFailed, E::RetryTimer}, S::Fetching, 8},
        {"existing launcher started", {E::InstallFound, E::LaunchedExisting}, S::Closing, 2},
        {"existing overwritten", {E::InstallFound, E::KeepInstalling, E::PackageBeside}, S::Verifying, 3},
        {"corrupt then redownload", {E::NoInstallFound, E::InstallClicked, E::Downloaded, E::DigestBad,
                                     E::Redownload}, S::Fetching, 5},
        {"corrupt then give up", {E::NoInstallFound, E::InstallClicked, E::Downloaded, E::DigestBad, E::GiveUp},
         S::Closing, 5},
        {"disk full then retry", {E::NoInstallFound, E::InstallClicked, E::DiskProblem, E::Progress, E::RetryTimer,
                                  E::Redownload}, S::Fetching, 4},
        {"disk full then give up", {E::NoInstallFound, E::InstallClicked, E::FetchFailed, E::DiskProblem, E::GiveUp},
         S::Closing, 5},
        {"no space stays", {E::NoInstallFound, E::NoSpace, E::NoSpace, E::InstallClicked}, S::Fetching, 4},
        {"module cannot start", {E::NoInstallFound, E::InstallClicked, E::ModuleFailed}, S::Closing, 3},
        {"package beside refused", {E::NoInstallFound, E::PackageBeside, E::PackageRefused}, S::Closing, 3},
        {"closed while fetching", {E::NoInstallFound, E::InstallClicked, E::WindowClosed, E::WindowClosed},
         S::Closing, 3},
        // Events that do not belong to the state are refused and change nothing.
        {"stray events", {E::Downloaded, E::TicksDone, E::NoInstallFound, E::RetryTimer, E::DigestGood,
                          E::InstallerEnded, E::LaunchedExisting}, S::Welcome, 1},
        {"no retry while fetching", {E::NoInstallFound, E::InstallClicked, E::RetryTimer, E::DigestGood},
         S::Fetching, 2},
        {"no download before the digest", {E::NoInstallFound, E::InstallClicked, E::Downloaded, E::Progress,
                                           E::TicksDone}, S::Verifying, 3},
    };
    for (const Road& road : roads) {
        CInstallFlow flow;
        EXPECT_EQ(Drive(flow, road.events), road.accepted) << road.name;
        EXPECT_EQ(flow.State(), road.end) << road.name << ": ended in " << static_cast<int>(flow.State());
    }
}

TEST(InstallFlow, ExitQuestionLiesOverTheFlowWhichGoesOnUnderneath)
{
    CInstallFlow flow;
    Drive(flow, {E::NoInstallFound, E::InstallClicked});
    ASSERT_TRUE(flow.Fire(E::CloseClicked));
    EXPECT_EQ(flow.State(), S::ExitConfirm);
    EXPECT_FALSE(flow.Fire(E::CloseClicked)) << "one exit question at a time";
    EXPECT_TRUE(flow.Fire(E::Downloaded));
    EXPECT_EQ(flow.State(), S::ExitConfirm);
    EXPECT_TRUE(flow.Fire(E::ExitCancelled));
    EXPECT_EQ(flow.State(), S::Verifying) << "a cancelled question returns to where the flow now is";

    ASSERT_TRUE(flow.Fire(E::CloseClicked));
    EXPECT_TRUE(flow.Fire(E::ExitConfirmed));
    EXPECT_EQ(flow.State(), S::Closing);
    EXPECT_FALSE(flow.Fire(E::CloseClicked));
    EXPECT_FALSE(flow.Fire(E::ExitCancelled));

    CInstallFlow finishing;
    Drive(finishing, {E::NoInstallFound, E::PackageBeside, E::DigestGood, E::InstallerEnded, E::CloseClicked});
    EXPECT_TRUE(finishing.Fire(E::TicksDone));
    EXPECT_EQ(finishing.State(), S::Closing) << "the end of the install closes even with the question open";
}

TEST(InstallRules, DefaultFolderTakesTheFirstFixedDisk)
{
    const UINT none = DRIVE_NO_ROOT_DIR;
    struct Case {
        UINT types[3];
        const wchar_t* expected;
    } cases[] = {
        {{DRIVE_FIXED, DRIVE_FIXED, DRIVE_FIXED}, L"D:\\塔沃网络\\塔沃岚盒"},
        {{none, DRIVE_FIXED, DRIVE_FIXED}, L"C:\\塔沃网络\\塔沃岚盒"},
        {{DRIVE_REMOVABLE, DRIVE_FIXED, none}, L"C:\\塔沃网络\\塔沃岚盒"},
        {{DRIVE_CDROM, none, DRIVE_FIXED}, L"E:\\塔沃网络\\塔沃岚盒"},
        {{DRIVE_CDROM, DRIVE_REMOTE, DRIVE_REMOVABLE}, L""},
    };
    for (const Case& c : cases) EXPECT_EQ(CInstallRules::DefaultInstallDirFrom(c.types), c.expected);

    ASSERT_EQ(GetDriveTypeW(L"D:\\"), static_cast<UINT>(DRIVE_CDROM)) << "the test prefix makes D: an optical drive";
    EXPECT_EQ(CInstallRules::DefaultInstallDir(), L"C:\\塔沃网络\\塔沃岚盒");
}

TEST(InstallRules, FolderTextsBrowseResultsAndTheSpaceBoundary)
{
    EXPECT_FALSE(CInstallRules::MakeUsableFolder(L"D:/Games"));
    EXPECT_FALSE(CInstallRules::MakeUsableFolder(L""));
    TempFolder folder;
    const std::wstring longest =
        folder.Path() + L"\\" + std::wstring(CInstallRules::kLongestFolder - folder.Path().size() - 1, L'x');
    EXPECT_TRUE(CInstallRules::MakeUsableFolder(longest));
    EXPECT_FALSE(CInstallRules::MakeUsableFolder(longest + L"y")) << "the temporary package would pass the path limit";
    const std::wstring file = folder.File(L"a file");
    CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    EXPECT_FALSE(CInstallRules::MakeUsableFolder(file)) << "a file of that name is no folder";
    RemoveDirectoryW(longest.c_str());
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring nested = std::wstring(temp) + L"tarvo-rules-" + std::to_wstring(GetCurrentProcessId()) + L"\\a\\b";
    EXPECT_TRUE(CInstallRules::MakeUsableFolder(nested));
    EXPECT_EQ(GetFileAttributesW(nested.c_str()) & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    RemoveDirectoryW(nested.c_str());
    RemoveDirectoryW(nested.substr(0, nested.size() - 2).c_str());
    RemoveDirectoryW(nested.substr(0, nested.size() - 4).c_str());

    EXPECT_EQ(CInstallRules::FolderFromBrowse(L"E:\\"), L"E:\\塔沃岚盒");
    EXPECT_EQ(CInstallRules::FolderFromBrowse(L"E:\\Apps"), L"E:\\Apps\\塔沃岚盒");
    EXPECT_EQ(CInstallRules::FolderFromBrowse(L"\\"), L"");
    EXPECT_EQ(CInstallRules::FolderFromBrowse(L""), L"");

    EXPECT_TRUE(CInstallRules::EnoughSpace(125829120));
    EXPECT_FALSE(CInstallRules::EnoughSpace(125829119));
    EXPECT_GT(CInstallRules::FreeBytes(L"C:\\anything"), 0u);
    EXPECT_EQ(CInstallRules::FreeBytes(L"Q"), 0u);
}
