#include "UpdateModule.h"
#include "Updater/DeploymentSettings.h"
#include "Runtime/ErrorPair.h"
#include "Http/HttpMgr.h"
#include "Runtime/CallbackGuard.h"
#include "Runtime/LogSites.h"
#include "Runtime/StringConvert.h"
#include "Runtime/FileSystem.h"

namespace {

const wchar_t kSource[] = L".\\Updater\\Updater.cpp";


} // namespace

CUpdateModule::CUpdateModule(std::wstring installFolder, IGameEventListener* listener)
    : m_manifestUrls(DefaultManifestUrls()), m_installFolder(std::move(installFolder)), m_listener(listener)
{
    m_installerPath = FormatString(L"%s\\%s", m_installFolder.c_str(), L"tvinstaller.exe");
}

std::vector<std::wstring> CUpdateModule::DefaultManifestUrls()
{
    return {HostUrl(DeploymentSettings::kPrimaryUpdateHost, L"/tvinstall.txt"),
            HostUrl(DeploymentSettings::kBackupUpdateHost, L"/tvinstall.txt")};
}

std::wstring CUpdateModule::HostUrl(std::wstring host, const wchar_t* path)
{
    while (!host.empty() && host.back() == L'/')
        host.pop_back();
    auto names = [&host](const wchar_t* scheme) { return _wcsnicmp(host.c_str(), scheme, wcslen(scheme)) == 0; };
    return (names(L"http://") || names(L"https://") ? L"" : L"http://") + host + path;
}

bool CUpdateModule::DigestRuleMet(const ManifestValues& values, bool requireDigest)
{
    return !requireDigest || !values.md5.empty() || !values.sha256.empty();
}

bool CUpdateModule::Start()
{
    m_thread.Check();
    CreateHelperWindow();
    if (!CreateDir(m_installFolder).Ok())
        return false;
    FetchNextManifest();
    return true;
}

void CUpdateModule::CreateHelperWindow()
{
    static LONG counter = 0;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    m_className = FormatString(L"_UPDATE_MODULE_HELPER_WINDOW_TARVO%d", static_cast<int>(InterlockedIncrement(&counter)));
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &CUpdateModule::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = m_className.c_str();
    if (!RegisterClassW(&wc)) {
        DWORD error = GetLastError();
        CSingleton<ConsoleLogger>::Instance()->LogFile(2, __LINE__, kSource, L"[UM]regclass %d", static_cast<int>(error));
        CSingleton<FileLogger>::Instance()->LogFile(2, __LINE__, kSource, L"[UM]rcls %d:%d", 1, static_cast<int>(error));
        return;
    }
    m_window = CreateWindowExW(0, m_className.c_str(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (!m_window) {
        DWORD error = GetLastError();
        UnregisterClassW(m_className.c_str(), instance);
        CSingleton<ConsoleLogger>::Instance()->LogFile(2, __LINE__, kSource, L"[UM]unregclass %d", static_cast<int>(error));
        CSingleton<FileLogger>::Instance()->LogFile(2, __LINE__, kSource, L"[UM]urcls %d:%d", 1, static_cast<int>(error));
        return;
    }
    // A pointer-wide slot: a 32-bit one would cut the module's address.
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void CUpdateModule::FetchNextManifest()
{
    m_thread.Check();
    if (m_nextIndex < 0 || m_nextIndex >= static_cast<int>(m_manifestUrls.size()))
        return;
    const std::wstring& url = m_manifestUrls[static_cast<size_t>(m_nextIndex++)];
    if (m_manifestRequest.IsRunning())
        return;
    m_manifestRequest.SetUrl(url);
    m_manifestRequest.SetCompletion([this](const std::string& body, ErrorPair error) {
        m_manifestText = CInstallManifest::Decode(body);
        PostPair(m_window, WM_UM_MANIFEST, error);
    });
    CHttpMgr::AttachOrLeaveOther(CHttpMgr::RequestManager(), &m_manifestRequest);
}

void CUpdateModule::Stop()
{
    m_thread.Check();
    m_manifestRequest.Stop();
    m_download.Stop();
    m_manifestText.clear();
    m_downloading = false;
    if (m_window) {
        DestroyWindow(m_window);
        m_window = nullptr;
        UnregisterClassW(m_className.c_str(), GetModuleHandleW(nullptr));
    }
}

CUpdateModule* CUpdateModule::From(HWND window)
{
    if (!window || !IsWindow(window))
        return nullptr;
    return reinterpret_cast<CUpdateModule*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void CUpdateModule::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (PostMessageW(window, message, wParam, lParam))
        return;
    DWORD error = GetLastError();
    CSingleton<ConsoleLogger>::Instance()->LogFile(2, __LINE__, kSource, L"[UM] post_message failed:%u",
                                                   static_cast<unsigned>(error));
    CSingleton<FileLogger>::Instance()->LogFile(2, __LINE__, kSource, L"[UM] post message failed:%u",
                                                static_cast<unsigned>(error));
}

void CUpdateModule::PostPair(HWND window, UINT message, ErrorPair error)
{
    Post(window, message, static_cast<WPARAM>(static_cast<uint32_t>(error.type)),
         static_cast<LPARAM>(static_cast<uint32_t>(error.code)));
}

LRESULT CALLBACK CUpdateModule::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CCallbackGuard::Run(
        L"update window", [&] { return HandleWindowMessage(window, message, wParam, lParam); },
        [] { return LRESULT(0); });
}

LRESULT CUpdateModule::HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER || (message >= 2027 && message <= 2032))
        return 0;
    CUpdateModule* module = (message >= WM_UM_MANIFEST && message <= WM_UM_DOWNLOAD_DONE) ? From(window) : nullptr;
    if (!module)
        return DefWindowProcW(window, message, wParam, lParam);
    const ErrorPair error{static_cast<ErrorType>(static_cast<uint32_t>(wParam)),
                          static_cast<int32_t>(static_cast<uint32_t>(lParam))};
    if (message == WM_UM_MANIFEST)
        module->HandleManifest(error);
    else if (message == WM_UM_PROGRESS)
        module->HandleProgress();
    else
        module->HandleDownloadDone(error);
    return 0;
}

void CUpdateModule::HandleManifest(ErrorPair error)
{
    m_manifestRequest.Stop();
    if (error.Ok()) {
        if (!CInstallManifest::Store(m_installFolder, m_manifestText))
            LogFileOnly(2, kSource, __LINE__, L"[UM] manifest record not written: %s",
                        CInstallManifest::StoredPath(m_installFolder).c_str());
        m_values = CInstallManifest::Parse(m_manifestText);
        if (!DigestRuleMet(m_values, DeploymentSettings::kRequireDigest))
            error = {kErrorUser, kUserNoDigest};
    }
    if (!error.Ok() && m_nextIndex < static_cast<int>(m_manifestUrls.size())) {
        FetchNextManifest();
        return;
    }
    if (error.Ok())
        StartPackageDownload();
    m_listener->OnManifestResult(error, m_values.version, m_values.md5, m_values.sha256);
}

void CUpdateModule::StartPackageDownload()
{
    m_downloading = true;
    // No transfer will end this round: its end is posted like a transfer's,
    // so the listener hears it after the manifest's result and never after Stop.
    if (const ErrorPair folder = CreateDir(m_installFolder); !folder.Ok()) {
        PostPair(m_window, WM_UM_DOWNLOAD_DONE, folder);
        return;
    }
    size_t dot = m_installerPath.rfind(L'.');
    std::wstring stem = dot == std::wstring::npos ? m_installerPath : m_installerPath.substr(0, dot);
    m_tempPath = FormatString(L"%s_%s.tmp", stem.c_str(), CInstallManifest::FileNameSafeVersion(m_values.version).c_str());
    // Without a digest nothing would tell a planted part from ours.
    const bool fresh = m_values.md5.empty() && m_writtenTempPath != m_tempPath;
    if (m_values.md5.empty())
        m_writtenTempPath = m_tempPath;
    m_download.SetCallbacks([this](ErrorPair error) { PostPair(m_window, WM_UM_DOWNLOAD_DONE, error); },
                            [this](uint64_t total, uint64_t completed, uint32_t speed) {
                                m_progress = Figures{total, completed, speed};
                                Post(m_window, WM_UM_PROGRESS, 0, 0);
                            });
    m_download.StartDownload(m_values.url, m_values.murl, m_tempPath, CInstallManifest::ExpectedSize(m_values.size),
                             fresh);
}

void CUpdateModule::HandleProgress()
{
    if (!m_downloading)
        return;
    if (m_progress)
        m_listener->OnDownloadProgress(m_progress->total, m_progress->completed, m_progress->speed);
    m_progress.reset();
}

void CUpdateModule::HandleDownloadDone(ErrorPair error)
{
    if (!m_downloading)
        return;
    m_download.Stop();
    m_downloading = false;
    if (error.Ok()) {
        bool moved = DeleteFileIfExists(m_installerPath) && MoveFileReplace(m_tempPath, m_installerPath);
        if (!moved)
            Sleep(1);
        m_listener->OnDownloadResult(moved ? error : ErrorPair{kErrorUser, kUserPackageNotMoved}, L"");
        return;
    }
    if (GetFileSize64(m_tempPath) <= 0)
        DeleteFileIfExists(m_tempPath);
    m_listener->OnDownloadResult(error, L"安装失败");
}
