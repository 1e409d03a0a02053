#include "MainDlg.h"
#include <shellapi.h>
#include "DuiLib/Control/OptionUI.h"
#include "DuiLib/Control/ProgressUI.h"
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Layout/TabLayoutUI.h"
#include "Http/ErrorType.h"
#include "Updater/DeploymentSettings.h"
#include "Runtime/StringConvert.h"
#include "app/CommonUtils.h"
#include "app/DesktopUser.h"
#include "app/InstallRules.h"
#include "app/InstallerApp.h"
#include "app/MsgBoxDlg.h"
#include "app/StartupTrace.h"

using DuiLib::CControlUI;
using E = InstallEvent;

namespace {

const wchar_t kNoticeTitle[] = L"提示信息";
const wchar_t kBoxWindowTitle[] = L"岚盒提示";

} // namespace

const CMainDlg::TBox CMainDlg::kNotAgreed = {L"未勾选“同意软件许可协议”。", L"确定", L"", true, false};
const CMainDlg::TBox CMainDlg::kInvalidPath = {L"您选择的安装路劲无效，请重新选择。", L"确定", L"", true, false};
const CMainDlg::TBox CMainDlg::kExisting = {L"您已经安装了岚盒，是否覆盖安装？", L"覆盖安装", L"直接启动", false, true};
const CMainDlg::TBox CMainDlg::kCorrupt = {L"文件已损坏，请重新下载！", L"重新下载", L"退出安装", true, true};
const CMainDlg::TBox CMainDlg::kRefused = {L"安装包签名无效，已停止安装！", L"确定", L"", true, false};
const CMainDlg::TBox CMainDlg::kNoSpace = {L"磁盘空间不足，请清理后重试", L"确定", L"", true, false};
const CMainDlg::TBox CMainDlg::kDiskFull = {L"磁盘空间不足，请清理后重试", L"重试", L"退出安装", true, true};
const CMainDlg::TBox CMainDlg::kCannotWrite = {L"无法写入安装目录，请检查后重试", L"重试", L"退出安装", true, true};

const CMainDlg::TClick CMainDlg::kClicks[] = {
    {L"btn_close", &CMainDlg::OnCloseClick},         {L"btn_install", &CMainDlg::OnInstallClick},
    {L"btn_free", &CMainDlg::OnFreeClick},           {L"btn_install2", &CMainDlg::OnInstall2Click},
    {L"btn_select", &CMainDlg::OnSelectClick},       {L"btn_agreement", &CMainDlg::OnAgreementClick},
};

const TControlSlot<CMainDlg> CMainDlg::kControls[] = {
    Slot<&CMainDlg::m_progressBar>(L"pro_InstallProgress"), Slot<&CMainDlg::m_lbDownload>(L"lb_download"),
    Slot<&CMainDlg::m_lbSpeed>(L"lb_speed"),                Slot<&CMainDlg::m_btnFree>(L"btn_free"),
    Slot<&CMainDlg::m_btnInstall2>(L"btn_install2"),        Slot<&CMainDlg::m_editInput>(L"edit_input"),
    Slot<&CMainDlg::m_lbLeftSpace>(L"lb_leftspace"),        Slot<&CMainDlg::m_optAgree>(L"opt_agree"),
    Slot<&CMainDlg::m_tbMain>(L"tb_main"),
};

CMainDlg::CMainDlg() = default;
CMainDlg::~CMainDlg() = default;

void CMainDlg::InitWindow()
{
    EnableMenuItem(GetSystemMenu(m_hWnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
    LookUpControls(m_pm, *this, kControls);
    m_setup.TakeLaunchId(CInstallerApp::Instance()->LaunchId());
    if (m_setup.DetectExistingInstall()) {
        m_flow.Fire(E::InstallFound);
        ::SetTimer(m_hWnd, kTimerAskExisting, 100, nullptr);
        return;
    }
    m_setup.CheckLocalPackage();
    m_flow.Fire(E::NoInstallFound);
}

// The skin's copy in memory goes with the window; the loop ends with 0.
void CMainDlg::OnFinalMessage(HWND hWnd)
{
    // The engine stops after the loop: nothing of ours may still use it.
    StopUpdater();
    if (m_job) m_job->Cancel();
    DuiLib::CSkinResources::FreeArchiveBuffer();
    WindowImplBase::OnFinalMessage(hWnd);
    PostQuitMessage(0);
}

void CMainDlg::Notify(DuiLib::TNotifyMsg& msg)
{
    if (msg.sType == L"timer" && msg.pSender == m_progressBar) {
        UpdateProgressImage(true);
    } else if (msg.sType == L"textchanged" && msg.pSender == m_editInput) {
        OnFolderEdited();
    } else if (msg.sType == L"click" && msg.pSender) {
        const std::weak_ptr<void> alive = m_pm.Liveness();
        for (const TClick& click : kClicks) {
            if (msg.pSender->GetName() != click.name) continue;
            if ((this->*click.handler)() || alive.expired()) return;
            break;
        }
    }
    WindowImplBase::Notify(msg);
}

LRESULT CMainDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_TIMER:
        if (wParam == kTimerInstallTick) return OnInstallTick(), 0;
        if (wParam == kTimerRetry) return OnRetryTimer(), 0;
        if (wParam == kTimerAskExisting) return OnAskExisting(), 0;
        break;
    case WM_CLOSE:
        if (OnWindowClose()) return 0;
        break;
    case CInstallJob::WM_PACKAGE_CORRUPT:
        return OnPackageCorrupt(static_cast<SignatureVerdict>(wParam)), 0;
    case WM_DISK_PROBLEM:
        return OnDiskProblem(static_cast<int32_t>(wParam)), 0;
    case CInstallJob::WM_PACKAGE_VERIFIED:
        m_flow.Fire(E::DigestGood);
        return 0;
    case WM_PAINT: {
        const LRESULT result = WindowImplBase::HandleMessage(msg, wParam, lParam);
        const DuiLib::CImageCache& images = m_pm.GetImageCache();
        CStartupTrace::FirstPaintDone(images.DecodeMicros(), images.Size());
        return result;
    }
    default:
        break;
    }
    return WindowImplBase::HandleMessage(msg, wParam, lParam);
}

CMainDlg::CModalScope::CModalScope(CMainDlg& dlg, bool exitQuestion)
    : m_dlg(dlg), m_outerBox(dlg.m_pModalBox), m_outerExit(dlg.m_exitQuestionOpen)
{
    ++m_dlg.m_modalDepth;
    m_dlg.m_pModalBox = nullptr;
    m_dlg.m_exitQuestionOpen = exitQuestion;
}

// A close request that arrived meanwhile waited for this loop to return:
// the window's controls are still whole here, and it is posted again.
CMainDlg::CModalScope::~CModalScope()
{
    --m_dlg.m_modalDepth;
    m_dlg.m_pModalBox = m_outerBox;
    m_dlg.m_exitQuestionOpen = m_outerExit;
    // The inner loop enabled the window on its way out; an outer one still runs.
    if (m_dlg.m_modalDepth > 0) EnableWindow(m_dlg.m_hWnd, FALSE);
    if (!m_dlg.m_closeAfterModal) return;
    m_dlg.m_closeAfterModal = false;
    m_dlg.PostMessage(WM_CLOSE, 1);
}

// 0 when the question was closed from elsewhere: the window is closing.
UINT CMainDlg::Ask(const TBox& box)
{
    CModalScope scope(*this, false);
    const UINT result = ShowMsgBox(m_hWnd, kNoticeTitle, box.text, box.cancel, box.showClose, box.showCancel,
                                   box.ok, &m_pModalBox);
    return m_closeAfterModal ? 0 : result;
}

bool CMainDlg::OnCloseClick()
{
    if (m_pModalBox || !m_flow.Fire(E::CloseClicked)) return true;
    CMsgBoxDlg* box = new CMsgBoxDlg(L"是否退出安装？", L"");
    if (!box->Open(m_hWnd, L"退出安装")) {
        m_flow.Fire(E::ExitCancelled);
        return true;
    }
    UINT result = 0;
    {
        CModalScope scope(*this, true);
        m_pModalBox = box;
        result = box->ShowModal();
    }
    const bool confirmed = result == CMsgBoxDlg::kOk;
    m_flow.Fire(confirmed ? E::ExitConfirmed : E::ExitCancelled);
    if (confirmed) Close(1);
    return true;
}

bool CMainDlg::Agreed()
{
    if (m_optAgree && m_optAgree->IsSelected()) return true;
    m_flow.Fire(E::NotAgreed);
    Ask(kNotAgreed);
    return false;
}

bool CMainDlg::OnInstallClick()
{
    if (!Agreed()) return true;
    if (m_setup.InstallDir().empty()) m_setup.SetInstallDir(CInstallRules::DefaultInstallDir());
    if (!CInstallRules::EnoughSpace(CInstallRules::FreeBytes(m_setup.InstallDir()))) {
        m_flow.Fire(E::NoSpace);
        Ask(kNoSpace);
        return true;
    }
    SelectPage(kProgressPage);
    if (m_setup.WorkDir().empty()) m_setup.SetWorkDir(m_setup.InstallDir());
    m_flow.Fire(m_setup.PackageBesideProgram() ? E::PackageBeside : E::InstallClicked);
    BeginFetch();
    return false;
}

bool CMainDlg::OnFreeClick()
{
    if (!Agreed()) return true;
    m_flow.Fire(E::FolderClicked);
    SelectPage(1);
    if (m_setup.InstallDir().empty()) m_setup.SetInstallDir(CInstallRules::DefaultInstallDir());
    if (m_editInput) m_editInput->SetText(m_setup.InstallDir());
    return false;
}

bool CMainDlg::OnInstall2Click()
{
    const std::wstring folder = m_editInput ? m_editInput->GetText() : std::wstring();
    m_setup.SetInstallDir(folder);
    if (!CInstallRules::MakeUsableFolder(folder)) {
        m_flow.Fire(E::BadFolder);
        Ask(kInvalidPath);
        return true;
    }
    if (m_setup.WorkDir().empty()) m_setup.SetWorkDir(folder);
    SelectPage(kProgressPage);
    m_flow.Fire(m_setup.PackageBesideProgram() ? E::PackageBeside : E::GoodFolder);
    BeginFetch();
    return false;
}

bool CMainDlg::OnSelectClick()
{
    std::wstring picked;
    {
        CModalScope scope(*this, false);
        picked = BrowseForFolder(m_hWnd, m_setup.InstallDir());
        if (m_closeAfterModal) return true;
    }
    const std::wstring folder = CInstallRules::FolderFromBrowse(picked);
    if (folder.empty()) return false;
    m_setup.SetInstallDir(folder);
    if (m_editInput) m_editInput->SetText(folder);
    RefreshFreeSpace();
    return false;
}

bool CMainDlg::OnAgreementClick()
{
    const std::wstring page = CUpdateModule::HostUrl(DeploymentSettings::kTermsPageHost, L"/xy/");
    CDesktopUser::Open(page, m_hWnd);
    return false;
}

void CMainDlg::OnFolderEdited()
{
    m_flow.Fire(E::FolderEdited);
    m_setup.SetInstallDir(m_editInput->GetText());
    RefreshFreeSpace();
}

// The bar's 20 ms flash runs only on the page that shows the bar. The
// progress page is painted at once, before its fetch starts, so that its
// first frame does not compete with the transfer.
void CMainDlg::SelectPage(int page)
{
    if (m_tbMain) m_tbMain->SelectItem(page);
    if (!m_progressBar) return;
    if (page == kProgressPage) {
        m_pm.SetTimer(m_progressBar, 1, 20);
        ::UpdateWindow(m_hWnd);
    } else
        m_pm.KillTimer(m_progressBar, 1);
}

void CMainDlg::RefreshFreeSpace()
{
    const uint64_t free = CInstallRules::FreeBytes(m_setup.InstallDir());
    const bool enough = CInstallRules::EnoughSpace(free);
    if (m_lbLeftSpace) {
        m_lbLeftSpace->SetText(FormatSize(free));
        m_lbLeftSpace->SetEnabled(enough);
    }
    if (m_btnInstall2) m_btnInstall2->SetEnabled(enough);
}

void CMainDlg::BeginFetch()
{
    if (m_setup.PackageBesideProgram()) {
        InstallDownloaded();
        return;
    }
    if (!StartUpdater()) {
        m_flow.Fire(E::ModuleFailed);
        Close(1);
    }
}

bool CMainDlg::StartUpdater()
{
    StopUpdater();
    m_updater = std::make_unique<CUpdateModule>(m_setup.WorkDir(), this);
    return m_updater->Start();
}

void CMainDlg::StopUpdater()
{
    if (!m_updater) return;
    m_updater->Stop();
    m_updater.reset();
}

void CMainDlg::OnDownloadProgress(uint64_t total, uint64_t completed, uint64_t speed)
{
    m_showFailureBox = true;
    m_flow.Fire(E::Progress);
    if (m_lbSpeed) m_lbSpeed->SetText(m_progress.OnDownloadProgress(total, completed, speed));
    UpdateProgressImage(false);
}

void CMainDlg::OnDownloadResult(ErrorPair error, const std::wstring&)
{
    if (error.Ok()) {
        if (m_flow.Fire(E::Downloaded)) InstallDownloaded();
        return;
    }
    // A write that failed is the disk's doing: retrying by itself would fail
    // the same way, so the person is asked once they have made room.
    if (error.type == kErrorSys && m_flow.Fire(E::DiskProblem)) {
        PostMessage(WM_DISK_PROBLEM, static_cast<WPARAM>(error.code));
        return;
    }
    m_flow.Fire(E::FetchFailed);
    ::SetTimer(m_hWnd, kTimerRetry, 5000, nullptr);
    ShowFailureBox(L"安装失败，请检查网络后重试！(%d,%d)", error);
}

void CMainDlg::OnDiskProblem(int32_t code)
{
    // The question decides when the next round starts, not a retry armed before it.
    KillTimer(m_hWnd, kTimerRetry);
    const UINT answer = Ask(CInstallRules::IsDiskFull(code) ? kDiskFull : kCannotWrite);
    if (answer == 0) return;
    if (answer != CMsgBoxDlg::kOk) {
        m_flow.Fire(E::GiveUp);
        Close(1);
        return;
    }
    m_flow.Fire(E::Redownload);
    FetchAgain();  // the partial package stays: the new round resumes it
}

void CMainDlg::FetchAgain()
{
    if (!m_updater) return;
    m_updater->SetNextManifestIndex(0);
    if (m_updater->ManifestUrlCount() > 0) m_updater->FetchNextManifest();
}

void CMainDlg::OnManifestResult(ErrorPair error, const std::wstring&, const std::wstring& md5,
                                const std::wstring& sha256)
{
    m_packageMd5 = md5;
    m_packageSha256 = sha256;
    if (error.type == kErrorOk) return;
    m_flow.Fire(E::FetchFailed);
    ::SetTimer(m_hWnd, kTimerRetry, 5000, nullptr);
    ShowFailureBox(L"安装失败，请检查网络后重试(%d,%d)", error);
}

// Not waited for: the retry goes on underneath, and the next box shows only
// after progress has resumed.
void CMainDlg::ShowFailureBox(const wchar_t* format, ErrorPair error)
{
    if (!m_showFailureBox) return;
    m_showFailureBox = false;
    CMsgBoxDlg* box = new CMsgBoxDlg(FormatString(format, error.type, error.code), kNoticeTitle);
    box->Open(m_hWnd, kBoxWindowTitle);
}

void CMainDlg::InstallDownloaded()
{
    m_lbDownload->SetText(L"安装中");
    m_lbSpeed->SetText(m_progress.OnDownloadSucceeded());
    UpdateProgressImage(false);
    StartInstall();
}

void CMainDlg::StartInstall()
{
    m_installTicks = 0;
    ::SetTimer(m_hWnd, kTimerInstallTick, 100, nullptr);
    m_setup.PreparePackagePath();
    m_job = new CInstallJob(m_hWnd, m_setup, m_packageMd5, m_packageSha256, CSignerPins::Configured());
    if (!m_job->Start()) Close(1);
}

void CMainDlg::UpdateProgressImage(bool advanceFlash)
{
    // Pages 0 and 1 hide the bar: its 20 ms flash then costs nothing.
    if (!m_progressBar || !m_progressBar->IsVisible()) return;
    const RECT& pos = m_progressBar->GetPos();
    m_progress.SetScale(m_pm.Scale());
    // Only a bar that shows the display's last frame can be repainted in part.
    const bool lastFrameShown = m_progressBar->GetBkImage() == m_progress.Image();
    const CProgressDisplay::Frame frame = m_progress.Render(pos.right - pos.left, m_installTicks,
                                                            m_setup.PackageBesideProgram(), advanceFlash);
    if (lastFrameShown)
        m_progressBar->SetBkImage(frame.image, {pos.left + frame.changed.left, pos.top,
                                                pos.left + frame.changed.right, pos.bottom});
    else
        m_progressBar->SetBkImage(frame.image);
    // The value is the filled width: the whole width is the end, and a screen
    // reader hears the share of it.
    if (m_progressBar->GetMaxValue() != pos.right - pos.left) m_progressBar->SetMaxValue(pos.right - pos.left);
    m_progressBar->SetValue(frame.fill);
}

void CMainDlg::OnInstallTick()
{
    const bool exited = m_job && m_job->InstallerExited();
    if (exited) m_flow.Fire(E::InstallerEnded);
    const CProgressDisplay::InstallStep step =
        CProgressDisplay::StepInstall(m_installTicks, exited, m_setup.PackageBesideProgram());
    m_installTicks = step.ticks;
    if (m_job) m_job->SetTicks(step.ticks);
    if (step.finished) {
        KillTimer(m_hWnd, kTimerInstallTick);
        m_flow.Fire(E::TicksDone);
        return;
    }
    m_lbSpeed->SetText(step.percent);
    UpdateProgressImage(false);
}

void CMainDlg::OnRetryTimer()
{
    if (!m_updater) return;
    KillTimer(m_hWnd, kTimerRetry);
    if (m_flow.Fire(E::RetryTimer))
        FetchAgain();
}

void CMainDlg::OnAskExisting()
{
    KillTimer(m_hWnd, kTimerAskExisting);
    const UINT answer = Ask(kExisting);
    if (answer == 0) return;
    if (answer == CMsgBoxDlg::kCancel && m_setup.StartExistingLauncher()) {
        m_flow.Fire(E::LaunchedExisting);
        Close(1);
        return;
    }
    m_setup.CheckLocalPackage();
    m_flow.Fire(E::KeepInstalling);
    m_pm.SendNotify(m_btnFree, L"click");
}

void CMainDlg::OnPackageCorrupt(SignatureVerdict signature)
{
    KillTimer(m_hWnd, kTimerInstallTick);
    m_job.Reset();
    if (signature != SignatureVerdict::NotChecked && m_setup.PackageBesideProgram()) return RefusePackage();
    m_flow.Fire(E::DigestBad);
    if (Ask(kCorrupt) != CMsgBoxDlg::kOk) {
        m_flow.Fire(E::GiveUp);
        Close(1);
        return;
    }
    m_lbDownload->SetText(L"下载中");
    m_lbSpeed->SetText(L"");
    m_progressBar->SetBkImage(CProgressDisplay::kEmptyBarImage);
    const bool started = StartUpdater();
    m_flow.Fire(started ? E::Redownload : E::ModuleFailed);
    if (!started) Close(1);
}

// The package beside the program came with the launcher folder, not from
// the update hosts: a new download would not replace it, so it is refused.
void CMainDlg::RefusePackage()
{
    m_flow.Fire(E::PackageRefused);
    Ask(kRefused);
    Close(1);
}

// True when the close was taken here and must not go on. A close from
// elsewhere answers an open question first: the exit question with yes, any
// other with nothing; the window must outlive the question's loop.
bool CMainDlg::OnWindowClose()
{
    if (m_modalDepth > 0) {
        m_closeAfterModal = !m_exitQuestionOpen;
        if (m_pModalBox) m_pModalBox->Close(m_exitQuestionOpen ? CMsgBoxDlg::kOk : 0);
        return true;
    }
    m_flow.Fire(E::WindowClosed);
    StopUpdater();
    if (m_job) m_job->Cancel();
    return false;
}
