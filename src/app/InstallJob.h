#pragma once
// One run of the package installer, shared by the installer window (UI
// thread) and the install worker through CRefPtr. The worker reads only the
// copies made here, so closing and freeing the window while the worker waits
// leaves it nothing to read; once the window cancels, the worker starts and
// posts nothing more. The worker talks to the window only by posting.
#include <windows.h>
#include <atomic>
#include <mutex>
#include <string>
#include "Runtime/RefThreadSafeBase.h"
#include "Updater/SignerPins.h"
#include "app/LauncherSetup.h"

class CPackageHold;

class CInstallJob : public CRefThreadSafeBase<CInstallJob> {
public:
    // The package cannot be read, its digest differs or its signature is
    // refused: wParam is the SignatureVerdict, NotChecked for the first two.
    static constexpr UINT WM_PACKAGE_CORRUPT = WM_USER + 100;
    // The digests matched (or none was known) and the signature is pinned
    // (or no pins were set): the package installer starts.
    static constexpr UINT WM_PACKAGE_VERIFIED = WM_USER + 101;
    static constexpr int kTicksToFinish = 300;

    // launcher: the window's copy, with the install, work and package paths
    // and the launch id settled. md5, sha256: the manifest's digests, empty
    // for none. signers: whose signature the package must carry; none for no
    // check.
    CInstallJob(HWND window, const CLauncherSetup& launcher, std::wstring md5, std::wstring sha256,
                CSignerPins signers);

    // Starts the worker, which keeps the job alive until it ends. False when
    // no thread could be made.
    bool Start();

    // UI thread: the install tick handler stores the pseudo progress here.
    void SetTicks(int ticks) { m_ticks = ticks; }
    bool InstallerExited() const { return m_installerExited; }
    // The window is going away. Once this returns the worker starts nothing
    // more: it waits for a start or a launch that is under way.
    void Cancel();

    // The package installer's command line for the package and folder.
    static std::wstring InstallerCommandLine(const std::wstring& package, const std::wstring& installDir);

private:
    static unsigned __stdcall ThreadProc(void* self);
    void Run();
    bool Verify(CPackageHold& hold);
    SignatureVerdict CheckSignature(const CPackageHold& hold) const;
    void Post(UINT message, WPARAM wParam) const;

    const HWND m_window;
    const CLauncherSetup m_launcher;
    const std::wstring m_md5;
    const std::wstring m_sha256;
    const CSignerPins m_signers;
    std::atomic<int> m_ticks{0};
    std::atomic<bool> m_installerExited{false};
    std::atomic<bool> m_cancelled{false};
    // Held across each "not cancelled? then start" step of the worker.
    std::mutex m_startLock;
};
