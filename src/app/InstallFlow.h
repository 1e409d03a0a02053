#pragma once
// The install flow of the installer window as one state machine: every
// state and event has a name, the whole flow is the table in
// InstallFlow.cpp, and every change of state goes through Transit, which
// logs it. The window asks Fire whether an event applies in the current
// state; an event the table does not list leaves the state alone. UI thread
// only; plain values, no window.

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
    LaunchedExisting,
    KeepInstalling,  // the existing-install question answered otherwise, or the start failed
    NotAgreed,
    InstallClicked,
    FolderClicked,
    FolderEdited,
    BadFolder,
    GoodFolder,
    PackageBeside,   // the package lies beside the program: no download
    ModuleFailed,    // the update module cannot start
    Progress,
    FetchFailed,
    DiskProblem,     // the package's file could not be written (a full disk, a refused write)
    NoSpace,         // too little free space for the default folder
    RetryTimer,
    Downloaded,
    DigestBad,
    DigestGood,
    PackageRefused,  // the package beside the program is not signed by a pinned signer
    Redownload,
    GiveUp,
    InstallerEnded,
    TicksDone,
    CloseClicked,
    ExitConfirmed,
    ExitCancelled,
    WindowClosed,    // the window takes a close request (Esc, the system, the end of the install)
};

#include "Runtime/ThreadAffinity.h"

class CInstallFlow {
public:
    // ExitConfirm while the exit question is open, else the flow's state.
    InstallState State() const;
    // Applies the event when the table lists it for the current state;
    // returns whether it did.
    bool Fire(InstallEvent event);

    static const wchar_t* Name(InstallState state);
    static const wchar_t* Name(InstallEvent event);

private:
    // The one place where the state changes.
    void Transit(InstallState flow, bool exitQuestion, InstallEvent cause);

    CThreadAffinity m_thread;
    InstallState m_flow = InstallState::Starting;
    // The exit question lies over the flow; a cancelled one returns to it.
    bool m_exitQuestion = false;
};
