#pragma once
// The install flow of the installer window as one state machine: every
// state, event and action has a name, and the whole flow is the table in
// InstallFlow.cpp. Fire is the only way anything happens: it changes the
// state through the table (logging the change) and then asks its actions
// sink for what belongs to that transition. An event the table does not list
// for the current state does nothing and is logged as refused. Actions may
// fire further events (a question's answer, a start that failed): the state
// has changed before any action runs, so they see the new one. An action
// that may fire an event comes last in its row: the rest of a row was chosen
// for the state it reached, so once the state has moved on Fire drops the
// row's remaining actions and logs that. One rule lies outside the table: a
// failure notice (TellManifestFailure, TellDownloadFailure) is told once and
// then held back until ShowProgress reports progress again.
// UI thread only; plain values, no window. The sink outlives the flow.

enum class InstallState {
    Starting,      // window created, nothing decided yet
    AskExisting,   // an earlier install was found; the question is armed
    Welcome,       // page 0, waiting for the install or folder button
    ChooseFolder,  // page 1
    Fetching,      // page 2, the update module fetches the manifest and the package
    Retrying,      // a failure was reported; the retry timer is armed
    Verifying,     // the worker checks the package's digests and signature
    CorruptPrompt, // the package is unreadable, a digest differs or its signature is refused
    DiskPrompt,    // the package's file could not be written; the person is asked
    Installing,    // the package installer runs
    Finishing,     // the installer has ended; the ticks run up to the end
    ExitConfirm,   // the exit question is shown over any other state
    Closing,       // the window is being closed
};

enum class InstallEvent {
    InstallFound,
    NoInstallFound,
    AskTimer,        // timer 13: the window has shown, the existing-install question is due
    LaunchChosen,    // the existing-install question answered "start it"
    LaunchedExisting,
    KeepInstalling,  // the existing-install question answered "install over it", or the start failed
    NotAgreed,
    InstallClicked,
    FolderClicked,
    FolderEdited,
    BadFolder,
    GoodFolder,
    PackageBeside,   // the package lies beside the program: no download
    ModuleFailed,    // the update module cannot start
    Progress,
    ManifestFailed,  // no manifest address answered
    DownloadFailed,
    DiskProblem,     // the package's file could not be written (a full disk, a refused write)
    DiskQuestionDue, // the module's callback has ended: the disk's question may open
    NoSpace,         // too little free space for the default folder
    RetryTimer,      // timer 12
    Downloaded,
    DigestBad,
    DigestGood,
    PackageRefused,  // the package beside the program is not signed by a pinned signer
    WorkerFailed,    // no thread for the install worker
    Redownload,
    GiveUp,
    InstallTick,     // timer 11
    InstallerEnded,
    TicksDone,
    CloseClicked,
    ExitConfirmed,
    ExitCancelled,
    WindowClosed,    // the window takes a close request (Esc, the system, the end of the install)
};

enum class InstallAction {
    ArmAskTimer,         // timer 13, once the window shows
    AskExisting,         // stops timer 13; the answer comes back as an event
    StartExisting,       // starts the earlier launcher: LaunchedExisting or KeepInstalling
    FindLocalPackage,    // looks for a package beside the program
    ShowFolderPage,      // page 1 with the folder filled in
    TakeFolder,          // the edited folder and its free space
    TellNotAgreed,
    TellNoSpace,
    TellBadFolder,
    ShowProgressPage,    // page 2
    StartFetch,          // a new update module; ModuleFailed when it cannot start
    ShowProgress,        // the last download figures
    ArmRetry,            // timer 12, five seconds
    StopRetry,
    TellManifestFailure, // the failure notices show once until progress resumes
    TellDownloadFailure,
    FetchAgain,          // a new round from the first manifest address
    PostDiskQuestion,    // DiskQuestionDue once the module's callback has ended
    AskDisk,             // the answer comes back as an event
    ShowInstalling,
    StartWorker,         // timer 11 and the install worker; WorkerFailed when it cannot start
    StepInstall,         // one tick: InstallerEnded, TicksDone
    StopTicks,           // stops timer 11
    StopWorker,          // stops timer 11 and lets the worker go
    AskCorrupt,          // the answer comes back as an event
    TellRefused,
    ResetProgress,       // an empty bar for a new download
    AskExit,             // the answer comes back as an event
    Close,               // posts the window's close
    StopWork,            // the window goes: the update module and the worker stop
};

// What the flow asks for: the window, or a recording in tests.
class IInstallActions {
public:
    virtual void Perform(InstallAction action) = 0;

protected:
    ~IInstallActions() = default;
};

#include "Runtime/ThreadAffinity.h"

class CInstallFlow {
public:
    explicit CInstallFlow(IInstallActions& actions) : m_actions(actions) {}
    CInstallFlow(const CInstallFlow&) = delete;
    CInstallFlow& operator=(const CInstallFlow&) = delete;

    // ExitConfirm while the exit question is open over a flow that goes on,
    // else the flow's state.
    InstallState State() const;
    // Takes the event through the table and performs its actions; returns
    // whether the table took it.
    bool Fire(InstallEvent event);

    static const wchar_t* Name(InstallState state);
    static const wchar_t* Name(InstallEvent event);

private:
    struct Step;
    Step Decide(InstallEvent event) const;
    // The one place where the state changes.
    void Transit(InstallState flow, bool exitQuestion, InstallEvent cause);
    void Perform(InstallAction action);

    CThreadAffinity m_thread;
    IInstallActions& m_actions;
    InstallState m_flow = InstallState::Starting;
    // The exit question lies over the flow; a cancelled one returns to it.
    bool m_exitQuestion = false;
    // A failure is told once; progress arms the next notice.
    bool m_failureNoticeArmed = true;
};
