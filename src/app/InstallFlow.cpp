#include "InstallFlow.h"
#include <iterator>
#include <string>
#include "Runtime/LogSites.h"

namespace {

using S = InstallState;
using E = InstallEvent;

const wchar_t kSource[] = L".\\InstallFlow.cpp";

struct Transition {
    S from;
    E event;
    S to;
};

// The whole flow. The exit question can open over any state and is
// handled apart, in Fire.
constexpr Transition kFlow[] = {
    {S::Starting, E::InstallFound, S::AskExisting},
    {S::Starting, E::NoInstallFound, S::Welcome},
    {S::AskExisting, E::LaunchedExisting, S::Closing},
    {S::AskExisting, E::KeepInstalling, S::ChooseFolder},
    {S::Welcome, E::NotAgreed, S::Welcome},
    {S::Welcome, E::NoSpace, S::Welcome},
    {S::Welcome, E::InstallClicked, S::Fetching},
    {S::Welcome, E::PackageBeside, S::Verifying},
    {S::Welcome, E::FolderClicked, S::ChooseFolder},
    {S::ChooseFolder, E::FolderEdited, S::ChooseFolder},
    {S::ChooseFolder, E::BadFolder, S::ChooseFolder},
    {S::ChooseFolder, E::GoodFolder, S::Fetching},
    {S::ChooseFolder, E::PackageBeside, S::Verifying},
    {S::Fetching, E::ModuleFailed, S::Closing},
    {S::Fetching, E::Progress, S::Fetching},
    {S::Fetching, E::FetchFailed, S::Retrying},
    {S::Fetching, E::DiskProblem, S::DiskPrompt},
    {S::Retrying, E::DiskProblem, S::DiskPrompt},
    {S::DiskPrompt, E::Redownload, S::Fetching},
    {S::DiskPrompt, E::GiveUp, S::Closing},
    {S::Fetching, E::Downloaded, S::Verifying},
    {S::Retrying, E::RetryTimer, S::Fetching},
    {S::Retrying, E::Progress, S::Retrying},
    {S::Retrying, E::FetchFailed, S::Retrying},
    {S::Verifying, E::DigestBad, S::CorruptPrompt},
    {S::Verifying, E::DigestGood, S::Installing},
    {S::Verifying, E::PackageRefused, S::Closing},
    {S::CorruptPrompt, E::Redownload, S::Fetching},
    {S::CorruptPrompt, E::ModuleFailed, S::Closing},
    {S::CorruptPrompt, E::GiveUp, S::Closing},
    {S::Installing, E::InstallerEnded, S::Finishing},
    {S::Finishing, E::TicksDone, S::Closing},
};

const wchar_t* const kStateNames[] = {
    L"Starting",   L"AskExisting", L"Welcome",    L"ChooseFolder", L"Fetching",    L"Retrying",
    L"Verifying",  L"CorruptPrompt", L"DiskPrompt", L"Installing", L"Finishing",  L"ExitConfirm", L"Closing",
};

const wchar_t* const kEventNames[] = {
    L"InstallFound",   L"NoInstallFound", L"LaunchedExisting", L"KeepInstalling", L"NotAgreed",
    L"InstallClicked", L"FolderClicked",  L"FolderEdited",     L"BadFolder",      L"GoodFolder",
    L"PackageBeside",  L"ModuleFailed",   L"Progress",         L"FetchFailed",    L"DiskProblem",
    L"NoSpace",        L"RetryTimer",     L"Downloaded",       L"DigestBad",      L"DigestGood",
    L"PackageRefused", L"Redownload",     L"GiveUp",           L"InstallerEnded", L"TicksDone",
    L"CloseClicked",   L"ExitConfirmed",  L"ExitCancelled",    L"WindowClosed",
};

static_assert(std::size(kStateNames) == static_cast<size_t>(S::Closing) + 1);
static_assert(std::size(kEventNames) == static_cast<size_t>(E::WindowClosed) + 1);

} // namespace

bool CInstallFlow::Fire(InstallEvent event)
{
    m_thread.Check();
    switch (event) {
    case E::CloseClicked:
        if (m_exitQuestion || m_flow == S::Closing) return false;
        Transit(m_flow, true, event);
        return true;
    case E::ExitConfirmed:
    case E::ExitCancelled:
        if (!m_exitQuestion) return false;
        Transit(event == E::ExitConfirmed ? S::Closing : m_flow, false, event);
        return true;
    case E::WindowClosed:
        if (State() == S::Closing) return false;
        Transit(S::Closing, false, event);
        return true;
    default:
        break;
    }
    // While the exit question is open the flow underneath goes on: the
    // download and the install do not wait for the answer.
    for (const Transition& t : kFlow) {
        if (t.from == m_flow && t.event == event) {
            Transit(t.to, m_exitQuestion && t.to != S::Closing, event);
            return true;
        }
    }
    return false;
}

InstallState CInstallFlow::State() const
{
    return m_exitQuestion ? S::ExitConfirm : m_flow;
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
