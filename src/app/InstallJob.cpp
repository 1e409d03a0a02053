#include "InstallJob.h"
#include <process.h>
#include "Runtime/CommandLine.h"
#include "Runtime/LogSites.h"
#include "Runtime/RefPtr.h"
#include "Runtime/StringConvert.h"
#include "Runtime/FileSystem.h"
#include "Runtime/Process.h"
#include "Updater/PackageSignature.h"
#include "app/PackageHold.h"

namespace {
const wchar_t kSource[] = L".\\InstallJob.cpp";
}

CInstallJob::CInstallJob(HWND window, const CLauncherSetup& launcher, std::wstring md5, std::wstring sha256,
                         CSignerPins signers)
    : m_window(window), m_launcher(launcher), m_md5(std::move(md5)), m_sha256(std::move(sha256)),
      m_signers(std::move(signers))
{
}

bool CInstallJob::Start()
{
    AddRef();  // the worker's reference, given up when it ends
    const uintptr_t thread = _beginthreadex(nullptr, 0, &CInstallJob::ThreadProc, this, 0, nullptr);
    if (thread == 0) {
        Release();
        return false;
    }
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}

unsigned __stdcall CInstallJob::ThreadProc(void* self)
{
    CRefPtr<CInstallJob> job(static_cast<CInstallJob*>(self));
    job->Release();
    job->Run();
    return 0;
}

std::wstring CInstallJob::InstallerCommandLine(const std::wstring& package, const std::wstring& installDir)
{
    return FormatString(L"%s /S %s /launch=off", package.c_str(), CCommandLine::Quoted(L"/unpack=" + installDir).c_str());
}

bool CInstallJob::Verify(CPackageHold& hold)
{
    if (m_md5.empty() && m_sha256.empty()) return true;
    return hold.IsHeld() && hold.Digests().Match(m_md5, m_sha256);
}

// After the digest: a package whose digest came from the same unprotected
// place as the package itself proves nothing until its signer is known.
SignatureVerdict CInstallJob::CheckSignature(const CPackageHold& hold) const
{
    const SignatureResult result = CPackageSignature::Check(m_signers, hold.Handle(), m_launcher.PackagePath());
    if (!CSignerPins::Allows(result.verdict))
        LogConsoleAndFile(1, kSource, __LINE__, L"[package] signature %s (0x%08lx): not run",
                          Utf8ToWide(CSignerPins::Name(result.verdict)).c_str(),
                          static_cast<unsigned long>(result.status));
    return result.verdict;
}

void CInstallJob::Run()
{
    const std::wstring& package = m_launcher.PackagePath();
    CPackageHold hold(package);
    if (!Verify(hold)) {
        Post(WM_PACKAGE_CORRUPT, static_cast<WPARAM>(SignatureVerdict::NotChecked));
        return;
    }
    const SignatureVerdict signature = CheckSignature(hold);
    if (!CSignerPins::Allows(signature)) {
        Post(WM_PACKAGE_CORRUPT, static_cast<WPARAM>(signature));
        return;
    }
    Post(WM_PACKAGE_VERIFIED, 0);
    PROCESS_INFORMATION process = {};
    bool started = false;
    {
        std::lock_guard<std::mutex> lock(m_startLock);
        started = !m_cancelled &&
                  RunProcessKeepHandles(package, InstallerCommandLine(package, m_launcher.InstallDir()), process,
                                        ParentDir(package)) == 0;
    }
    hold.Release();
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    m_installerExited = true;
    while (m_ticks < kTicksToFinish && !m_cancelled) Sleep(10);
    std::lock_guard<std::mutex> lock(m_startLock);
    if (m_cancelled) return;
    m_launcher.LaunchAfterInstall();
    Post(WM_CLOSE, 1);
}

void CInstallJob::Cancel()
{
    std::lock_guard<std::mutex> lock(m_startLock);
    m_cancelled = true;
}

void CInstallJob::Post(UINT message, WPARAM wParam) const
{
    if (!m_cancelled) PostMessageW(m_window, message, wParam, 0);
}
