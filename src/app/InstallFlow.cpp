#include "InstallFlow.h"
#include <initializer_list>
#include <iterator>
#include <utility>
#include "Runtime/LogSites.h"

namespace {

using S = InstallState;
using E = InstallEvent;
using A = InstallAction;
using Actions = std::initializer_list<InstallAction>;

const wchar_t kSource[] = L".\\InstallFlow.cpp";

struct Transition {
    S from;
    E event;
    S to;
    Actions actions;
};

// The whole flow: from, event, to, and what is done then, in order. The exit
// question can open over any state and is handled apart, in Decide.
constexpr Transition kFlow[] = {
    {S::Starting, E::InstallFound, S::AskExisting, {A::ArmAskTimer}},
    {S::Starting, E::NoInstallFound, S::Welcome, {A::FindLocalPackage}},
    {S::AskExisting, E::AskTimer, S::AskExisting, {A::AskExisting}},
    {S::AskExisting, E::LaunchChosen, S::AskExisting, {A::StartExisting}},
    {S::AskExisting, E::LaunchedExisting, S::Closing, {A::Close}},
    {S::AskExisting, E::KeepInstalling, S::ChooseFolder, {A::FindLocalPackage, A::ShowFolderPage}},
    {S::Welcome, E::NotAgreed, S::Welcome, {A::TellNotAgreed}},
    {S::Welcome, E::NoSpace, S::Welcome, {A::TellNoSpace}},
    {S::Welcome, E::InstallClicked, S::Fetching, {A::ShowProgressPage, A::StartFetch}},
    {S::Welcome, E::PackageBeside, S::Verifying, {A::ShowProgressPage, A::ShowInstalling, A::StartWorker}},
    {S::Welcome, E::FolderClicked, S::ChooseFolder, {A::ShowFolderPage}},
    {S::ChooseFolder, E::FolderEdited, S::ChooseFolder, {A::TakeFolder}},
    {S::ChooseFolder, E::BadFolder, S::ChooseFolder, {A::TellBadFolder}},
    {S::ChooseFolder, E::GoodFolder, S::Fetching, {A::ShowProgressPage, A::StartFetch}},
    {S::ChooseFolder, E::PackageBeside, S::Verifying, {A::ShowProgressPage, A::ShowInstalling, A::StartWorker}},
    {S::Fetching, E::ModuleFailed, S::Closing, {A::Close}},
    {S::Fetching, E::Progress, S::Fetching, {A::ShowProgress}},
    {S::Fetching, E::ManifestFailed, S::Retrying, {A::ArmRetry, A::TellManifestFailure}},
    {S::Fetching, E::DownloadFailed, S::Retrying, {A::ArmRetry, A::TellDownloadFailure}},
    // The question decides when the next round starts, not a retry armed before it.
    {S::Fetching, E::DiskProblem, S::DiskPrompt, {A::StopRetry, A::PostDiskQuestion}},
    {S::Fetching, E::Downloaded, S::Verifying, {A::ShowInstalling, A::StartWorker}},
    {S::Retrying, E::RetryTimer, S::Fetching, {A::StopRetry, A::FetchAgain}},
    {S::Retrying, E::Progress, S::Retrying, {A::ShowProgress}},
    {S::Retrying, E::ManifestFailed, S::Retrying, {A::ArmRetry, A::TellManifestFailure}},
    {S::Retrying, E::DownloadFailed, S::Retrying, {A::ArmRetry, A::TellDownloadFailure}},
    {S::Retrying, E::DiskProblem, S::DiskPrompt, {A::StopRetry, A::PostDiskQuestion}},
    {S::DiskPrompt, E::DiskQuestionDue, S::DiskPrompt, {A::AskDisk}},
    // The partial package stays: the new round resumes it.
    {S::DiskPrompt, E::Redownload, S::Fetching, {A::FetchAgain}},
    {S::DiskPrompt, E::GiveUp, S::Closing, {A::Close}},
    {S::Verifying, E::InstallTick, S::Verifying, {A::StepInstall}},
    {S::Verifying, E::DigestBad, S::CorruptPrompt, {A::StopWorker, A::AskCorrupt}},
    {S::Verifying, E::DigestGood, S::Installing, {}},
    // The package beside the program came with the launcher folder, not from
    // the update hosts: a new download would not replace it.
    {S::Verifying, E::PackageRefused, S::Closing, {A::StopWorker, A::TellRefused, A::Close}},
    {S::Verifying, E::WorkerFailed, S::Closing, {A::StopTicks, A::Close}},
    {S::CorruptPrompt, E::Redownload, S::Fetching, {A::ResetProgress, A::StartFetch}},
    {S::CorruptPrompt, E::GiveUp, S::Closing, {A::Close}},
    {S::Installing, E::InstallTick, S::Installing, {A::StepInstall}},
    {S::Installing, E::InstallerEnded, S::Finishing, {}},
    {S::Finishing, E::InstallTick, S::Finishing, {A::StepInstall}},
    {S::Finishing, E::TicksDone, S::Closing, {A::StopTicks}},
    // A slow check or a long install outlasts the ticks: the bar stays full
    // and the worker closes the window once the launcher runs.
    {S::Verifying, E::TicksDone, S::Verifying, {A::StopTicks}},
    {S::Installing, E::TicksDone, S::Installing, {A::StopTicks}},
};

// First match wins in Decide: a second row for the same state and event
// would never be taken.
constexpr bool EachStateTakesEachEventOnce()
{
    for (size_t i = 0; i < std::size(kFlow); ++i)
        for (size_t j = i + 1; j < std::size(kFlow); ++j)
            if (kFlow[i].from == kFlow[j].from && kFlow[i].event == kFlow[j].event) return false;
    return true;
}
static_assert(EachStateTakesEachEventOnce());

const wchar_t* const kStateNames[] = {
    L"Starting",   L"AskExisting", L"Welcome",    L"ChooseFolder", L"Fetching",    L"Retrying",
    L"Verifying",  L"CorruptPrompt", L"DiskPrompt", L"Installing", L"Finishing",  L"ExitConfirm", L"Closing",
};

const wchar_t* const kEventNames[] = {
    L"InstallFound",   L"NoInstallFound", L"AskTimer",       L"LaunchChosen",   L"LaunchedExisting",
    L"KeepInstalling", L"NotAgreed",      L"InstallClicked", L"FolderClicked",  L"FolderEdited",
    L"BadFolder",      L"GoodFolder",     L"PackageBeside",  L"ModuleFailed",   L"Progress",
    L"ManifestFailed", L"DownloadFailed", L"DiskProblem",    L"DiskQuestionDue", L"NoSpace",
    L"RetryTimer",     L"Downloaded",     L"DigestBad",      L"DigestGood",      L"PackageRefused",
    L"WorkerFailed",   L"Redownload",     L"GiveUp",         L"InstallTick",     L"InstallerEnded",
    L"TicksDone",      L"CloseClicked",   L"ExitConfirmed",  L"ExitCancelled",   L"WindowClosed",
};

// The exit question's own actions; a list's array lives as long as the list.
const Actions kAskExit = {A::AskExit};
const Actions kClose = {A::Close};
const Actions kStopWork = {A::StopWork};

static_assert(std::size(kStateNames) == static_cast<size_t>(S::Closing) + 1);
static_assert(std::size(kEventNames) == static_cast<size_t>(E::WindowClosed) + 1);

} // namespace

struct CInstallFlow::Step {
    bool taken;
    S flow;
    bool exitQuestion;
    Actions actions;
};

bool CInstallFlow::Fire(InstallEvent event)
{
    m_thread.Check();
    const Step step = Decide(event);
    if (!step.taken) {
        LogConsoleAndFile(1, kSource, __LINE__, L"[flow] %s refused in %s", Name(event), Name(State()));
        return false;
    }
    Transit(step.flow, step.exitQuestion, event);
    const InstallState reached = m_flow;
    for (InstallAction action : step.actions) {
        if (m_flow != reached) {
            LogConsoleAndFile(2, kSource, __LINE__, L"[flow] the flow moved on to %s inside %s's actions; the rest dropped",
                              Name(m_flow), Name(event));
            break;
        }
        Perform(action);
    }
    return true;
}

CInstallFlow::Step CInstallFlow::Decide(InstallEvent event) const
{
    switch (event) {
    case E::CloseClicked:
        if (m_exitQuestion || m_flow == S::Closing) return {false, m_flow, m_exitQuestion, {}};
        return {true, m_flow, true, kAskExit};
    case E::ExitConfirmed:
        return {m_exitQuestion, S::Closing, false, kClose};
    case E::ExitCancelled:
        return {m_exitQuestion, m_flow, false, {}};
    case E::WindowClosed:
        return {true, S::Closing, false, kStopWork};
    default:
        break;
    }
    // While the exit question is open the flow underneath goes on: the
    // download and the install do not wait for the answer.
    for (const Transition& t : kFlow)
        if (t.from == m_flow && t.event == event) return {true, t.to, m_exitQuestion, t.actions};
    return {false, m_flow, m_exitQuestion, {}};
}

void CInstallFlow::Perform(InstallAction action)
{
    if (action == A::ShowProgress) m_failureNoticeArmed = true;
    const bool notice = action == A::TellManifestFailure || action == A::TellDownloadFailure;
    if (notice && !std::exchange(m_failureNoticeArmed, false)) return;
    m_actions.Perform(action);
}

// Closing outranks the exit question: the end of the install closes even
// with the question open, whose answer then only closes what is closing.
InstallState CInstallFlow::State() const
{
    return m_exitQuestion && m_flow != S::Closing ? S::ExitConfirm : m_flow;
}

void CInstallFlow::Transit(InstallState flow, bool exitQuestion, InstallEvent cause)
{
    const InstallState before = State();
    m_flow = flow;
    m_exitQuestion = exitQuestion;
    // Progress reports and typing stay where they are: only changes are told.
    if (State() == before) return;
    LogConsoleAndFile(0, kSource, __LINE__, L"[flow] %s --%s--> %s", Name(before), Name(cause), Name(State()));
}

const wchar_t* CInstallFlow::Name(InstallState state)
{
    return kStateNames[static_cast<size_t>(state)];
}

const wchar_t* CInstallFlow::Name(InstallEvent event)
{
    return kEventNames[static_cast<size_t>(event)];
}
