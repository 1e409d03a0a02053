#pragma once
// The installer's one window and the controller of the whole install: its
// three pages, the folder choice and free-space check, the update module
// that fetches the manifest and the package, the install worker, and every
// question and notice the user sees. It turns every input (clicks, timers,
// the worker's messages, the module's callbacks, the answers to its
// questions) into an event of its CInstallFlow and performs the actions the
// flow asks for; it decides only what the view knows. Lives in the entry
// function's frame; UI thread only. It owns at most one update module and
// shares the running install job with the worker thread, which keeps its own
// copies of what it reads.
#include <memory>
#include <string>
#include "DuiLib/Host/WindowImplBase.h"
#include "Runtime/RefPtr.h"
#include "Updater/IGameEventListener.h"
#include "Updater/UpdateModule.h"
#include "app/ControlSlots.h"
#include "app/InstallFlow.h"
#include "app/InstallJob.h"
#include "app/LauncherSetup.h"
#include "app/ProgressDisplay.h"

namespace DuiLib {
class CControlUI;
class COptionUI;
class CProgressUI;
class CTabLayoutUI;
}
class CMsgBoxDlg;

class CMainDlg : public DuiLib::WindowImplBase, public IGameEventListener, private IInstallActions {
public:
    static constexpr DWORD kStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;
    static constexpr const wchar_t* kTitle = L"安装星砂物语";
    static constexpr UINT kTimerInstallTick = 11;
    static constexpr UINT kTimerRetry = 12;
    static constexpr UINT kTimerAskExisting = 13;
    static constexpr int kProgressPage = 2;
    // Posted to itself once a download's file could not be written: the
    // disk's question waits for the download's callback to end.
    static constexpr UINT WM_DISK_PROBLEM = WM_USER + 102;

    CMainDlg();
    ~CMainDlg() override;

    const wchar_t* GetWindowClassName() const override { return L"InstallPackages"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    void InitWindow() override;
    void InitWindowShown() override;
    std::wstring GetSkinFolder() override { return L"no use"; }
    std::wstring GetSkinFile() override { return L"InstallPackages.xml"; }
    void Notify(DuiLib::TNotifyMsg& msg) override;

    void OnDownloadProgress(uint64_t total, uint64_t completed, uint64_t speed) override;
    void OnDownloadResult(ErrorPair error, const std::wstring& message) override;
    void OnManifestResult(ErrorPair error, const std::wstring& version, const std::wstring& md5,
                          const std::wstring& sha256) override;

    InstallState State() const { return m_flow.State(); }

private:
    using ClickHandler = void (CMainDlg::*)();
    struct TClick {
        const wchar_t* name;
        ClickHandler handler;
    };
    static const TClick kClicks[];
    static const TControlSlot<CMainDlg> kControls[];

    // Inputs turned into the flow's events.
    void OnCloseClick();
    void OnInstallClick();
    void OnFreeClick();
    void OnInstall2Click();
    void OnSelectClick();
    void OnAgreementClick();
    void OnPackageCorrupt(SignatureVerdict signature);
    bool OnWindowClose();

    // What the flow asks for: one case per InstallAction.
    void Perform(InstallAction action) override;
    void AskExistingInstall();
    void AskDisk();
    void ShowFolderPage();
    void TakeFolder();
    void StartFetch();
    void ShowProgress();
    void FetchAgain();
    void ShowInstalling();
    void StartWorker();
    void StepInstall();
    void StopWorker();
    void ResetProgress();
    void AskExit();
    void StopWork();

    // A modal question or notice: text, OK text, cancel text, whether the
    // close and cancel buttons show.
    struct TBox {
        const wchar_t* text;
        const wchar_t* ok;
        const wchar_t* cancel;
        bool showClose;
        bool showCancel;
    };
    static const TBox kNotAgreed, kInvalidPath, kExisting, kCorrupt, kRefused, kNoSpace, kDiskFull, kCannotWrite;
    UINT Ask(const TBox& box);

    // One modal step of the window (a question, the exit question, the
    // folder browser) on the stack. Steps nest: the install goes on under the
    // exit question and may ask its own; each restores what the outer had.
    class CModalScope {
    public:
        CModalScope(CMainDlg& dlg, bool exitQuestion);
        ~CModalScope();
        CModalScope(const CModalScope&) = delete;
        CModalScope& operator=(const CModalScope&) = delete;

    private:
        CMainDlg& m_dlg;
        CMsgBoxDlg* const m_outerBox;
        const bool m_outerExit;
    };
    bool Agreed() const;
    void SelectPage(int page);
    void RefreshFreeSpace();
    void StopUpdater();
    void UpdateProgressImage(bool advanceFlash);
    void ShowFailureBox(const wchar_t* format);

    CInstallFlow m_flow{*this};
    CLauncherSetup m_setup;
    CProgressDisplay m_progress;
    std::unique_ptr<CUpdateModule> m_updater;
    CRefPtr<CInstallJob> m_job;
    // The innermost modal step: its box (none for the folder browser) and
    // whether it is the exit question; a close that waits for it.
    int m_modalDepth = 0;
    CMsgBoxDlg* m_pModalBox = nullptr;
    bool m_exitQuestionOpen = false;
    bool m_closeAfterModal = false;
    std::wstring m_packageMd5;
    std::wstring m_packageSha256;
    // The update module's last failure and figures, for the flow's actions.
    ErrorPair m_lastError;
    struct TFigures {
        uint64_t total = 0, completed = 0, speed = 0;
    } m_figures;
    int m_installTicks = 0;
    // The installer's exit is told on the first tick that sees it; again on
    // the next only if the flow was not ready for it (the check not yet told).
    bool m_installerEndTaken = false;

    DuiLib::CProgressUI* m_progressBar = nullptr;
    DuiLib::CControlUI* m_lbDownload = nullptr;
    DuiLib::CControlUI* m_lbSpeed = nullptr;
    DuiLib::CControlUI* m_btnInstall2 = nullptr;
    DuiLib::CControlUI* m_editInput = nullptr;
    DuiLib::CControlUI* m_lbLeftSpace = nullptr;
    DuiLib::COptionUI* m_optAgree = nullptr;
    DuiLib::CTabLayoutUI* m_tbMain = nullptr;
};
