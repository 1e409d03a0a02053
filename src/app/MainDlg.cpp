#include "MainDlg.h"
#include <shellapi.h>
#include "DuiLib/Control/OptionUI.h"
#include "DuiLib/Control/ProgressUI.h"
#include "DuiLib/Core/SkinResources.h"
#include "DuiLib/Layout/TabLayoutUI.h"
#include "Runtime/ErrorPair.h"
#include "Updater/DeploymentSettings.h"
#include "Runtime/StringConvert.h"
#include "app/CommonUtils.h"
#include "app/DesktopUser.h"
#include "app/InstallRules.h"
#include "app/InstallerApp.h"
#include "app/MsgBoxDlg.h"
#include "app/StartupTrace.h"

using DuiLib::CControlUI;
using A = InstallAction;
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
    Slot<&CMainDlg::m_lbSpeed>(L"lb_speed"),                Slot<&CMainDlg::m_btnInstall2>(L"btn_install2"),
    Slot<&CMainDlg::m_editInput>(L"edit_input"),            Slot<&CMainDlg::m_lbLeftSpace>(L"lb_leftspace"),
    Slot<&CMainDlg::m_optAgree>(L"opt_agree"),              Slot<&CMainDlg::m_tbMain>(L"tb_main"),
};

CMainDlg::CMainDlg() = default;
CMainDlg::~CMainDlg() = default;

void CMainDlg::InitWindow()
{
    EnableMenuItem(GetSystemMenu(m_hWnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
    LookUpControls(m_pm, *this, kControls);
    m_setup.TakeLaunchId(CInstallerApp::Instance()->LaunchId());
}

// Looking for an earlier install reads the shell's folders and the
// registry, which the welcome page's first frame does not wait for.
void CMainDlg::InitWindowShown()
{
    m_flow.Fire(m_setup.DetectExistingInstall() ? E::InstallFound : E::NoInstallFound);
    CStartupTrace::Ready();
}

// The skin's copy in memory goes with the window; the loop ends with 0.
void CMainDlg::OnFinalMessage(HWND hWnd)
{
    // The engine stops after the loop: nothing of ours may still use it.
    StopWork();
    DuiLib::CSkinResources::FreeArchiveBuffer();
    WindowImplBase::OnFinalMessage(hWnd);
    PostQuitMessage(0);
}

void CMainDlg::Notify(DuiLib::TNotifyMsg& msg)
{
    if (msg.sType == L"timer" && msg.pSender == m_progressBar) {
        UpdateProgressImage(true);
    } else if (msg.sType == L"textchanged" && msg.pSender == m_editInput) {
        m_flow.Fire(E::FolderEdited);
    } else if (msg.sType == L"click" && msg.pSender) {
        for (const TClick& click : kClicks) {
            if (msg.pSender->GetName() != click.name) continue;
            (this->*click.handler)();
            return;
        }
    }
    WindowImplBase::Notify(msg);
}

LRESULT CMainDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_TIMER:
        if (wParam == kTimerInstallTick) return m_flow.Fire(E::InstallTick), 0;
        if (wParam == kTimerRetry) return m_flow.Fire(E::RetryTimer), 0;
        if (wParam == kTimerAskExisting) return m_flow.Fire(E::AskTimer), 0;
        break;
    case WM_CLOSE:
        if (OnWindowClose()) return 0;
        break;
    case CInstallJob::WM_PACKAGE_CORRUPT:
        return OnPackageCorrupt(static_cast<SignatureVerdict>(wParam)), 0;
    case WM_DISK_PROBLEM:
        return m_flow.Fire(E::DiskQuestionDue), 0;
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

// What the window does for each of the flow's actions. No default: the
// compiler names an action the switch leaves out.
void CMainDlg::Perform(InstallAction action)
{
    switch (action) {
    case A::ArmAskTimer: return (void)::SetTimer(m_hWnd, kTimerAskExisting, 100, nullptr);
    case A::AskExisting: return AskExistingInstall();
    case A::StartExisting:
        return (void)m_flow.Fire(m_setup.StartExistingLauncher() ? E::LaunchedExisting : E::KeepInstalling);
    case A::FindLocalPackage: return m_setup.CheckLocalPackage();
    case A::ShowFolderPage: return ShowFolderPage();
    case A::TakeFolder: return TakeFolder();
    case A::TellNotAgreed: return (void)Ask(kNotAgreed);
    case A::TellNoSpace: return (void)Ask(kNoSpace);
    case A::TellBadFolder: return (void)Ask(kInvalidPath);
    case A::ShowProgressPage: return SelectPage(kProgressPage);
    case A::StartFetch: return StartFetch();
    case A::ShowProgress: return ShowProgress();
    case A::ArmRetry: return (void)::SetTimer(m_hWnd, kTimerRetry, 5000, nullptr);
    case A::StopRetry: return (void)KillTimer(m_hWnd, kTimerRetry);
    case A::TellManifestFailure: return ShowFailureBox(L"安装失败，请检查网络后重试(%d,%d)");
    case A::TellDownloadFailure: return ShowFailureBox(L"安装失败，请检查网络后重试！(%d,%d)");
    case A::FetchAgain: return FetchAgain();
    case A::PostDiskQuestion: return (void)PostMessage(WM_DISK_PROBLEM);
    case A::AskDisk: return AskDisk();
    case A::ShowInstalling: return ShowInstalling();
    case A::StartWorker: return StartWorker();
    case A::StepInstall: return StepInstall();
    case A::StopTicks: return (void)KillTimer(m_hWnd, kTimerInstallTick);
    case A::StopWorker: return StopWorker();
    case A::AskCorrupt: return (void)m_flow.Fire(Ask(kCorrupt) == CMsgBoxDlg::kOk ? E::Redownload : E::GiveUp);
    case A::TellRefused: return (void)Ask(kRefused);
    case A::ResetProgress: return ResetProgress();
    case A::AskExit: return AskExit();
    case A::Close: return (void)Close(1);
    case A::StopWork: return StopWork();
    }
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

// --- Inputs ---

void CMainDlg::OnCloseClick()
{
    // A question's own buttons answer it; the window's close waits.
    if (!m_pModalBox) m_flow.Fire(E::CloseClicked);
}

bool CMainDlg::Agreed() const
{
    return m_optAgree && m_optAgree->IsSelected();
}

void CMainDlg::OnInstallClick()
{
    if (!Agreed()) return (void)m_flow.Fire(E::NotAgreed);
    if (m_setup.InstallDir().empty()) m_setup.SetInstallDir(CInstallRules::DefaultInstallDir());
    if (!CInstallRules::EnoughSpace(CInstallRules::FreeBytes(m_setup.InstallDir())))
        return (void)m_flow.Fire(E::NoSpace);
    if (m_setup.WorkDir().empty()) m_setup.SetWorkDir(m_setup.InstallDir());
    m_flow.Fire(m_setup.PackageBesideProgram() ? E::PackageBeside : E::InstallClicked);
}

void CMainDlg::OnFreeClick()
{
    m_flow.Fire(Agreed() ? E::FolderClicked : E::NotAgreed);
}

void CMainDlg::OnInstall2Click()
{
    const std::wstring folder = m_editInput ? m_editInput->GetText() : std::wstring();
    m_setup.SetInstallDir(folder);
    if (!CInstallRules::MakeUsableFolder(folder)) return (void)m_flow.Fire(E::BadFolder);
    if (m_setup.WorkDir().empty()) m_setup.SetWorkDir(folder);
    m_flow.Fire(m_setup.PackageBesideProgram() ? E::PackageBeside : E::GoodFolder);
}

void CMainDlg::OnSelectClick()
{
    std::wstring picked;
    {
        CModalScope scope(*this, false);
        picked = BrowseForFolder(m_hWnd, m_setup.InstallDir());
        if (m_closeAfterModal) return;
    }
    const std::wstring folder = CInstallRules::FolderFromBrowse(picked);
    // The edit's "textchanged" takes the folder and shows its free space.
    if (!folder.empty() && m_editInput) m_editInput->SetText(folder);
}

void CMainDlg::OnAgreementClick()
{
    const std::wstring page = CUpdateModule::HostUrl(DeploymentSettings::kTermsPageHost, L"/xy/");
    CDesktopUser::Open(page, m_hWnd);
}

void CMainDlg::OnDownloadProgress(uint64_t total, uint64_t completed, uint64_t speed)
{
    m_figures = {total, completed, speed};
    m_flow.Fire(E::Progress);
}

void CMainDlg::OnDownloadResult(ErrorPair error, const std::wstring&)
{
    m_lastError = error;
    // A write that failed is the disk's doing: retrying by itself would fail
    // the same way, so the person is asked once they have made room.
    m_flow.Fire(error.Ok() ? E::Downloaded : error.type == kErrorSys ? E::DiskProblem : E::DownloadFailed);
}

void CMainDlg::OnManifestResult(ErrorPair error, const std::wstring&, const std::wstring& md5,
                                const std::wstring& sha256)
{
    m_packageMd5 = md5;
    m_packageSha256 = sha256;
    if (error.Ok()) return;  // the module goes on to the package by itself
    m_lastError = error;
    m_flow.Fire(E::ManifestFailed);
}

// The package beside the program came with the launcher folder: its refused
// signature is final. A downloaded one may be fetched again.
void CMainDlg::OnPackageCorrupt(SignatureVerdict signature)
{
    const bool refused = signature != SignatureVerdict::NotChecked && m_setup.PackageBesideProgram();
    m_flow.Fire(refused ? E::PackageRefused : E::DigestBad);
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
    return false;
}

// --- Actions ---

void CMainDlg::AskExistingInstall()
{
    KillTimer(m_hWnd, kTimerAskExisting);
    const UINT answer = Ask(kExisting);
    if (answer != 0) m_flow.Fire(answer == CMsgBoxDlg::kCancel ? E::LaunchChosen : E::KeepInstalling);
}

void CMainDlg::AskDisk()
{
    const UINT answer = Ask(CInstallRules::IsDiskFull(m_lastError.code) ? kDiskFull : kCannotWrite);
    if (answer != 0) m_flow.Fire(answer == CMsgBoxDlg::kOk ? E::Redownload : E::GiveUp);
}

void CMainDlg::ShowFolderPage()
{
    SelectPage(1);
    if (m_setup.InstallDir().empty()) m_setup.SetInstallDir(CInstallRules::DefaultInstallDir());
    if (m_editInput) m_editInput->SetText(m_setup.InstallDir());
}

void CMainDlg::TakeFolder()
{
    m_setup.SetInstallDir(m_editInput->GetText());
    RefreshFreeSpace();
}

void CMainDlg::StartFetch()
{
    StopUpdater();
    m_updater = std::make_unique<CUpdateModule>(m_setup.WorkDir(), this);
    if (!m_updater->Start()) m_flow.Fire(E::ModuleFailed);
}

void CMainDlg::ShowProgress()
{
    const TFigures& f = m_figures;
    if (m_lbSpeed) m_lbSpeed->SetText(m_progress.OnDownloadProgress(f.total, f.completed, f.speed));
    UpdateProgressImage(false);
}

// Not waited for: the retry goes on underneath.
void CMainDlg::ShowFailureBox(const wchar_t* format)
{
    CMsgBoxDlg* box = new CMsgBoxDlg(FormatString(format, m_lastError.type, m_lastError.code), kNoticeTitle);
    box->Open(m_hWnd, kBoxWindowTitle);
}

void CMainDlg::FetchAgain()
{
    if (!m_updater) return;
    m_updater->SetNextManifestIndex(0);
    if (m_updater->ManifestUrlCount() > 0) m_updater->FetchNextManifest();
}

void CMainDlg::ShowInstalling()
{
    m_lbDownload->SetText(L"安装中");
    m_lbSpeed->SetText(m_progress.OnDownloadSucceeded());
    UpdateProgressImage(false);
}

void CMainDlg::StartWorker()
{
    m_installTicks = 0;
    m_installerEndTaken = false;
    ::SetTimer(m_hWnd, kTimerInstallTick, 100, nullptr);
    m_setup.PreparePackagePath();
    m_job = new CInstallJob(m_hWnd, m_setup, m_packageMd5, m_packageSha256, CSignerPins::Configured());
    if (!m_job->Start()) m_flow.Fire(E::WorkerFailed);
}

void CMainDlg::StepInstall()
{
    const bool exited = m_job && m_job->InstallerExited();
    if (exited && !m_installerEndTaken) m_installerEndTaken = m_flow.Fire(E::InstallerEnded);
    const CProgressDisplay::InstallStep step =
        CProgressDisplay::StepInstall(m_installTicks, exited, m_setup.PackageBesideProgram());
    m_installTicks = step.ticks;
    if (m_job) m_job->SetTicks(step.ticks);
    if (step.finished) return (void)m_flow.Fire(E::TicksDone);
    m_lbSpeed->SetText(step.percent);
    UpdateProgressImage(false);
}

void CMainDlg::StopWorker()
{
    KillTimer(m_hWnd, kTimerInstallTick);
    m_job.Reset();
}

void CMainDlg::ResetProgress()
{
    m_lbDownload->SetText(L"下载中");
    m_lbSpeed->SetText(L"");
    m_progressBar->SetBkImage(CProgressDisplay::kEmptyBarImage);
}

void CMainDlg::AskExit()
{
    CMsgBoxDlg* box = new CMsgBoxDlg(L"是否退出安装？", L"");
    if (!box->Open(m_hWnd, L"退出安装")) return (void)m_flow.Fire(E::ExitCancelled);
    UINT result = 0;
    {
        CModalScope scope(*this, true);
        m_pModalBox = box;
        result = box->ShowModal();
    }
    m_flow.Fire(result == CMsgBoxDlg::kOk ? E::ExitConfirmed : E::ExitCancelled);
}

void CMainDlg::StopWork()
{
    StopUpdater();
    if (m_job) m_job->Cancel();
}

void CMainDlg::StopUpdater()
{
    if (!m_updater) return;
    m_updater->Stop();
    m_updater.reset();
}

// --- The view ---

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
