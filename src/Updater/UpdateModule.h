#pragma once
// Fetches the install manifest from its address list (primary, then
// backup), stores and reads it, downloads the package installer into the
// install folder as "tvinstaller_<Version>.tmp", moves it to
// "tvinstaller.exe", and reports each stage to its listener. Window thread
// only: engine callbacks only record and post to the module's message-only
// helper window, whose procedure does the work. The owner owns the module
// and calls Stop before deleting it; no listener call comes after Stop.
#include <windows.h>
#include <optional>
#include <string>
#include <vector>
#include "Http/HttpCommand.h"
#include "Http/HttpDownloadFile.h"
#include "IGameEventListener.h"
#include "InstallManifest.h"
#include "Runtime/ThreadAffinity.h"

class CUpdateModule {
public:
    static constexpr UINT WM_UM_MANIFEST = 2024;
    static constexpr UINT WM_UM_PROGRESS = 2025;
    static constexpr UINT WM_UM_DOWNLOAD_DONE = 2026;

    CUpdateModule(std::wstring installFolder, IGameEventListener* listener);
    CUpdateModule(const CUpdateModule&) = delete;
    CUpdateModule& operator=(const CUpdateModule&) = delete;

    bool Start();
    void FetchNextManifest();
    void Stop();

    // The owner's retry rewinds the address cursor to the first address.
    int NextManifestIndex() const { return m_nextIndex; }
    void SetNextManifestIndex(int index) { m_nextIndex = index; }
    size_t ManifestUrlCount() const { return m_manifestUrls.size(); }
    void SetManifestUrls(std::vector<std::wstring> urls) { m_manifestUrls = std::move(urls); }
    static std::vector<std::wstring> DefaultManifestUrls();
    // A host setting as an address for path: a setting that names its
    // scheme ("https://update.example.net") keeps it, a bare host name is
    // http. A trailing "/" of the setting is dropped.
    static std::wstring HostUrl(std::wstring host, const wchar_t* path);
    // A build that requires a digest takes no manifest naming neither Md5
    // nor Sha256: that host failed, as if it had not answered.
    static bool DigestRuleMet(const ManifestValues& values, bool requireDigest);

    bool IsDownloading() const { return m_downloading; }
    const std::wstring& InstallerPath() const { return m_installerPath; }
    const std::wstring& TempPath() const { return m_tempPath; }
    const std::wstring& HelperClassName() const { return m_className; }
    HWND HelperWindow() const { return m_window; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static CUpdateModule* From(HWND window);
    static void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void PostPair(HWND window, UINT message, ErrorPair error);

    void CreateHelperWindow();
    void HandleManifest(ErrorPair error);
    void StartPackageDownload();
    void HandleProgress();
    void HandleDownloadDone(ErrorPair error);

    CThreadAffinity m_thread;
    std::vector<std::wstring> m_manifestUrls;
    int m_nextIndex = 0;
    std::wstring m_manifestText;
    // The latest figures, until the window's turn to pass them on.
    struct Figures {
        uint64_t total = 0;
        uint64_t completed = 0;
        uint32_t speed = 0;
    };
    std::optional<Figures> m_progress;
    HWND m_window = nullptr;
    std::wstring m_className;
    CHttpCommand m_manifestRequest;
    CHttpDownloadFile m_download;
    bool m_downloading = false;
    std::wstring m_installFolder;
    IGameEventListener* m_listener;
    ManifestValues m_values;
    std::wstring m_installerPath;
    std::wstring m_tempPath;
    // The temporary file this module started from byte 0 or resumed from its
    // own part, with no digest to check it: only that part is resumed
    // without one.
    std::wstring m_writtenTempPath;
};
