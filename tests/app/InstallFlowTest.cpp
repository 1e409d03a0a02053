#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <vector>
#include "Runtime/FileLogger.h"
#include "Runtime/Singleton.h"
#include "app/InstallFlow.h"
#include "app/InstallRules.h"
#include "support/TempFolder.h"

namespace {

using S = InstallState;
using E = InstallEvent;
using A = InstallAction;

// The window's stand-in: records what the flow asks for and may answer an
// action at once, as the window does (a question's answer, a start that
// failed): each answer once, in order.
class Sink : public IInstallActions {
public:
    void Perform(InstallAction action) override
    {
        done.push_back(action);
        if (answers.empty() || answers.front().first != action) return;
        const E answer = answers.front().second;
        answers.erase(answers.begin());
        flow->Fire(answer);
    }
    CInstallFlow* flow = nullptr;
    std::vector<std::pair<A, E>> answers;
    std::vector<A> done;
};

struct Driven {
    Sink sink;
    CInstallFlow flow{sink};
    explicit Driven(std::initializer_list<E> events, std::vector<std::pair<A, E>> answers = {})
    {
        sink.flow = &flow;
        sink.answers = std::move(answers);
        for (E e : events) flow.Fire(e);
    }
};

// Points the shared logger at a file for one test; the binary's logger has
// no options and no file otherwise, and has them back however the test ends.
class LogToFile {
public:
    explicit LogToFile(const std::wstring& path) : m_file(_wfopen(path.c_str(), L"wb"))
    {
        m_logger->SetFile(m_file);
        m_logger->SetOptions(std::make_unique<LoggerOptions>());
    }
    ~LogToFile()
    {
        m_logger->SetOptions(nullptr);
        m_logger->SetFile(nullptr);
        if (m_file) fclose(m_file);
    }
    LogToFile(const LogToFile&) = delete;
    LogToFile& operator=(const LogToFile&) = delete;
    bool Open() const { return m_file != nullptr; }

private:
    FileLogger* const m_logger = CSingleton<FileLogger>::Instance();
    FILE* const m_file;
};

} // namespace

TEST(InstallFlow, RoadsThroughTheFlowAskForTheirActionsInOrder)
{
    struct Road {
        const char* name;
        std::initializer_list<E> events;
        std::vector<A> actions;
        S end;
        std::vector<std::pair<A, E>> answers = {};
    } roads[] = {
        {"plain install",
         {E::NoInstallFound, E::InstallClicked, E::Progress, E::Downloaded, E::InstallTick, E::DigestGood,
          E::InstallTick, E::InstallerEnded, E::InstallTick, E::TicksDone},
         {A::FindLocalPackage, A::ShowProgressPage, A::StartFetch, A::ShowProgress, A::ShowInstalling, A::StartWorker,
          A::StepInstall, A::StepInstall, A::StepInstall, A::StopTicks},
         S::Closing},
        {"earlier launcher started", {E::InstallFound, E::AskTimer, E::LaunchChosen, E::LaunchedExisting},
         {A::ArmAskTimer, A::AskExisting, A::StartExisting, A::Close}, S::Closing},
        {"earlier install overwritten",
         {E::InstallFound, E::AskTimer, E::KeepInstalling, E::FolderEdited, E::GoodFolder},
         {A::ArmAskTimer, A::AskExisting, A::FindLocalPackage, A::ShowFolderPage, A::TakeFolder, A::ShowProgressPage,
          A::StartFetch},
         S::Fetching},
        {"notices on the first pages, then the package beside",
         {E::NoInstallFound, E::NotAgreed, E::NoSpace, E::FolderClicked, E::BadFolder, E::PackageBeside},
         {A::FindLocalPackage, A::TellNotAgreed, A::TellNoSpace, A::ShowFolderPage, A::TellBadFolder,
          A::ShowProgressPage, A::ShowInstalling, A::StartWorker},
         S::Verifying},
        {"a failure is told once until progress resumes",
         {E::NoInstallFound, E::InstallClicked, E::ManifestFailed, E::RetryTimer, E::DownloadFailed, E::RetryTimer,
          E::Progress, E::DownloadFailed},
         {A::FindLocalPackage, A::ShowProgressPage, A::StartFetch, A::ArmRetry, A::TellManifestFailure, A::StopRetry,
          A::FetchAgain, A::ArmRetry, A::StopRetry, A::FetchAgain, A::ShowProgress, A::ArmRetry,
          A::TellDownloadFailure},
         S::Retrying},
        {"the disk's question: again, then give up",
         {E::NoInstallFound, E::InstallClicked, E::DiskProblem, E::DiskQuestionDue, E::Redownload, E::DownloadFailed,
          E::DiskProblem, E::DiskQuestionDue, E::GiveUp},
         {A::FindLocalPackage, A::ShowProgressPage, A::StartFetch, A::StopRetry, A::PostDiskQuestion, A::AskDisk,
          A::FetchAgain, A::ArmRetry, A::TellDownloadFailure, A::StopRetry, A::PostDiskQuestion, A::AskDisk, A::Close},
         S::Closing},
        {"package beside refused", {E::NoInstallFound, E::PackageBeside, E::PackageRefused},
         {A::FindLocalPackage, A::ShowProgressPage, A::ShowInstalling, A::StartWorker, A::StopWorker, A::TellRefused,
          A::Close},
         S::Closing},
        {"no thread for the worker", {E::NoInstallFound, E::PackageBeside, E::WorkerFailed},
         {A::FindLocalPackage, A::ShowProgressPage, A::ShowInstalling, A::StartWorker, A::StopTicks, A::Close},
         S::Closing},
        {"a long install outlasts the ticks", {E::NoInstallFound, E::PackageBeside, E::DigestGood, E::TicksDone,
                                              E::InstallerEnded, E::WindowClosed},
         {A::FindLocalPackage, A::ShowProgressPage, A::ShowInstalling, A::StartWorker, A::StopTicks, A::StopWork},
         S::Closing},
        // The exit question lies over the flow, which goes on underneath.
        {"cancelled, back where the flow now is",
         {E::NoInstallFound, E::InstallClicked, E::CloseClicked, E::Downloaded, E::ExitCancelled},
         {A::FindLocalPackage, A::ShowProgressPage, A::StartFetch, A::AskExit, A::ShowInstalling, A::StartWorker},
         S::Verifying},
        {"confirmed", {E::NoInstallFound, E::CloseClicked, E::ExitConfirmed, E::WindowClosed},
         {A::FindLocalPackage, A::AskExit, A::Close, A::StopWork}, S::Closing},
        {"the install's end closes under the question, whose yes closes again",
         {E::NoInstallFound, E::PackageBeside, E::DigestGood, E::InstallerEnded, E::CloseClicked, E::TicksDone,
          E::ExitConfirmed},
         {A::FindLocalPackage, A::ShowProgressPage, A::ShowInstalling, A::StartWorker, A::AskExit, A::StopTicks,
          A::Close},
         S::Closing},
        // Answered inside the action: the state has changed before it runs.
        {"corrupt, fetched again by a module that cannot start",
         {E::NoInstallFound, E::InstallClicked, E::Downloaded, E::DigestBad},
         {A::FindLocalPackage, A::ShowProgressPage, A::StartFetch, A::ShowInstalling, A::StartWorker, A::StopWorker,
          A::AskCorrupt, A::ResetProgress, A::StartFetch, A::Close},
         S::Closing, {{A::AskCorrupt, E::Redownload}, {A::StartFetch, E::ModuleFailed}}},
        // An answer that moves the flow before its row is done: the rest was
        // meant for the state that was left.
        {"moved on inside a row", {E::NoInstallFound, E::InstallClicked, E::DiskProblem},
         {A::FindLocalPackage, A::ShowProgressPage, A::StartFetch, A::StopRetry, A::FetchAgain}, S::Fetching,
         {{A::StopRetry, E::Redownload}}},
        {"the earlier launcher does not start", {E::InstallFound, E::AskTimer},
         {A::ArmAskTimer, A::AskExisting, A::StartExisting, A::FindLocalPackage, A::ShowFolderPage}, S::ChooseFolder,
         {{A::AskExisting, E::LaunchChosen}, {A::StartExisting, E::KeepInstalling}}},
    };
    for (const Road& road : roads) {
        Driven d(road.events, road.answers);
        EXPECT_EQ(d.sink.done, road.actions) << road.name;
        EXPECT_EQ(d.flow.State(), road.end) << road.name << ": ended in " << CInstallFlow::Name(d.flow.State());
    }
}

// Every event a state does not take changes nothing, asks for nothing and is
// logged as refused; every event it takes is taken.
TEST(InstallFlow, EachStateTakesItsEventsAndRefusesAndLogsAllOthers)
{
    struct Row {
        std::initializer_list<E> road;
        S state;
        std::initializer_list<E> takes;
    } rows[] = {
        {{}, S::Starting, {E::InstallFound, E::NoInstallFound}},
        {{E::InstallFound}, S::AskExisting, {E::AskTimer, E::LaunchChosen, E::LaunchedExisting, E::KeepInstalling}},
        {{E::NoInstallFound}, S::Welcome,
         {E::NotAgreed, E::NoSpace, E::InstallClicked, E::PackageBeside, E::FolderClicked}},
        {{E::NoInstallFound, E::FolderClicked}, S::ChooseFolder,
         {E::FolderEdited, E::BadFolder, E::GoodFolder, E::PackageBeside}},
        {{E::NoInstallFound, E::InstallClicked}, S::Fetching,
         {E::ModuleFailed, E::Progress, E::ManifestFailed, E::DownloadFailed, E::DiskProblem, E::Downloaded}},
        {{E::NoInstallFound, E::InstallClicked, E::DownloadFailed}, S::Retrying,
         {E::RetryTimer, E::Progress, E::ManifestFailed, E::DownloadFailed, E::DiskProblem}},
        {{E::NoInstallFound, E::PackageBeside}, S::Verifying,
         {E::InstallTick, E::DigestBad, E::DigestGood, E::PackageRefused, E::WorkerFailed, E::TicksDone}},
        {{E::NoInstallFound, E::PackageBeside, E::DigestBad}, S::CorruptPrompt, {E::Redownload, E::GiveUp}},
        {{E::NoInstallFound, E::InstallClicked, E::DiskProblem}, S::DiskPrompt,
         {E::DiskQuestionDue, E::Redownload, E::GiveUp}},
        {{E::NoInstallFound, E::PackageBeside, E::DigestGood}, S::Installing,
         {E::InstallTick, E::InstallerEnded, E::TicksDone}},
        {{E::NoInstallFound, E::PackageBeside, E::DigestGood, E::InstallerEnded}, S::Finishing,
         {E::InstallTick, E::TicksDone}},
        // Over Welcome: the flow underneath takes its own events too.
        {{E::NoInstallFound, E::CloseClicked}, S::ExitConfirm,
         {E::ExitConfirmed, E::ExitCancelled, E::NotAgreed, E::NoSpace, E::InstallClicked, E::PackageBeside,
          E::FolderClicked}},
        {{E::NoInstallFound, E::FolderClicked, E::GoodFolder, E::ModuleFailed}, S::Closing, {}},
    };
    TempFolder folder;
    const std::wstring path = folder.File(L"flow.log");
    auto log = std::make_unique<LogToFile>(path);
    ASSERT_TRUE(log->Open());
    int refused = 0;
    for (const Row& row : rows) {
        for (int i = 0; i <= static_cast<int>(E::WindowClosed); ++i) {
            const E event = static_cast<E>(i);
            // The window's close is taken everywhere: it stops the work. The
            // exit question opens over any state but itself and the end.
            const bool always = event == E::WindowClosed ||
                                (event == E::CloseClicked && row.state != S::ExitConfirm && row.state != S::Closing);
            const bool takes = always || std::find(row.takes.begin(), row.takes.end(), event) != row.takes.end();
            Driven d(row.road);
            EXPECT_EQ(d.flow.State(), row.state) << "the road to " << CInstallFlow::Name(row.state);
            if (d.flow.State() != row.state) continue;
            const size_t before = d.sink.done.size();
            EXPECT_EQ(d.flow.Fire(event), takes) << CInstallFlow::Name(row.state) << " " << CInstallFlow::Name(event);
            if (takes) continue;
            ++refused;
            EXPECT_EQ(d.sink.done.size(), before)
                << CInstallFlow::Name(event) << " acted in " << CInstallFlow::Name(row.state);
            EXPECT_EQ(d.flow.State(), row.state)
                << CInstallFlow::Name(event) << " moved " << CInstallFlow::Name(row.state);
        }
    }
    log.reset();

    std::wstring text;
    if (FILE* in = _wfopen(path.c_str(), L"rb")) {
        wchar_t buffer[4096];
        for (size_t n; (n = fread(buffer, sizeof(wchar_t), 4096, in)) > 0;) text.append(buffer, n);
        fclose(in);
    }
    int logged = 0;
    for (size_t at = 0; (at = text.find(L" refused in ", at)) != std::wstring::npos; ++at) ++logged;
    EXPECT_EQ(logged, refused);
    EXPECT_NE(text.find(L"[flow] Downloaded refused in Welcome"), std::wstring::npos);
    EXPECT_NE(text.find(L"[flow] CloseClicked refused in ExitConfirm"), std::wstring::npos);
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
