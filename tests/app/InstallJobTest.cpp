#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <fstream>
#include "Runtime/RefPtr.h"
#include "Runtime/StringConvert.h"
#include "Runtime/FileSystem.h"
#include "app/InstallJob.h"
#include "app/PackageHold.h"
#include "support/TempFolder.h"

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string FirstLine(const std::wstring& path)
{
    std::ifstream file(path.c_str());
    std::string line;
    std::getline(file, line);
    return line;
}

// A package installer stand-in in a work folder, with a message-only window
// that the job posts to.
class InstallJobTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_TRUE(CopyFileW((GetModuleDir() + L"\\RecordArgs.exe").c_str(), Package().c_str(), FALSE));
        m_launcher.SetInstallDir(InstallDir());
        m_launcher.SetWorkDir(m_temp.Path());
        m_launcher.PreparePackagePath();
        m_launcher.TakeLaunchId(7);
    }
    void TearDown() override { DestroyWindow(m_window); }

    std::wstring Package() const { return m_temp.File(L"tvinstaller.exe"); }
    std::wstring InstallDir() const { return m_temp.File(L"game"); }
    std::wstring LauncherRecord() const { return InstallDir() + L"\\TarvoLauncher.exe.args"; }
    PackageDigests Digests() { return CPackageHold(Package()).Digests(); }
    // The next message the job posts, or 0 when none comes within the limit.
    UINT NextPosted(DWORD limitMs, WPARAM* wParam = nullptr)
    {
        const DWORD start = GetTickCount();
        MSG msg;
        while (GetTickCount() - start < limitMs) {
            if (PeekMessageW(&msg, m_window, 0, 0, PM_REMOVE)) {
                if (wParam) *wParam = msg.wParam;
                return msg.message;
            }
            Sleep(5);
        }
        return 0;
    }
    CRefPtr<CInstallJob> StartJob(const std::wstring& md5, const std::wstring& sha256 = L"",
                                  CSignerPins signers = CSignerPins())
    {
        CRefPtr<CInstallJob> job(new CInstallJob(m_window, m_launcher, md5, sha256, std::move(signers)));
        EXPECT_TRUE(job->Start());
        return job;
    }
    bool WaitForInstallerEnd(CInstallJob& job)
    {
        for (int i = 0; i < 600 && !job.InstallerExited(); ++i) Sleep(10);
        return job.InstallerExited();
    }
    // The worker holds its own reference until it returns; with it gone,
    // anything it was going to start or post has been started or posted.
    bool WaitForJobEnd(CInstallJob& job)
    {
        for (int i = 0; i < 600 && job.RefCount() > 1; ++i) Sleep(10);
        return job.RefCount() == 1;
    }
    bool NothingQueued()
    {
        MSG msg;
        return !PeekMessageW(&msg, m_window, 0, 0, PM_NOREMOVE);
    }

    TempFolder m_temp;
    HWND m_window = nullptr;
    CLauncherSetup m_launcher{m_temp.Path() + L"\\program"};
};

} // namespace

TEST(PackageHold, NobodyWritesReplacesOrDeletesTheHeldPackage)
{
    TempFolder temp;
    const std::wstring package = temp.File(L"tvinstaller.exe");
    std::ofstream(package.c_str(), std::ios::binary) << "abc";
    const std::wstring other = temp.File(L"other.exe");
    std::ofstream(other.c_str(), std::ios::binary) << "evil";
    {
        CPackageHold hold(package);
        ASSERT_TRUE(hold.IsHeld());
        PackageDigests digests = hold.Digests();
        EXPECT_EQ(digests.md5, "900150983cd24fb0d6963f7d28e17f72");
        EXPECT_EQ(digests.sha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
        HANDLE writer = CreateFileW(package.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
        if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
        EXPECT_FALSE(DeleteFileW(package.c_str()));
        EXPECT_FALSE(MoveFileExW(other.c_str(), package.c_str(), MOVEFILE_REPLACE_EXISTING));
        HANDLE reader = CreateFileW(package.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(reader, INVALID_HANDLE_VALUE) << "others may still read it";
        CloseHandle(reader);
        EXPECT_EQ(hold.Digests().md5, digests.md5) << "the digests read from the start each time";
    }
    EXPECT_TRUE(DeleteFileW(package.c_str()));
    EXPECT_FALSE(CPackageHold(package).IsHeld());
}

// A folder ending in a backslash must not swallow the quote after it, and
// with it "/launch=off".
TEST(InstallJob, ThePackageReadsTheFolderAndItsOptionsExactly)
{
    for (const std::wstring dir : {L"E:\\", L"D:\\Games\\", L"C:\\塔沃网络\\塔沃岚盒"}) {
        int count = 0;
        wchar_t** args = CommandLineToArgvW(CInstallJob::InstallerCommandLine(L"C:\\w\\tvinstaller.exe", dir).c_str(), &count);
        ASSERT_EQ(count, 4) << WideToUtf8(dir);
        EXPECT_EQ(std::wstring(args[2]), L"/unpack=" + dir);
        EXPECT_EQ(std::wstring(args[3]), L"/launch=off");
        LocalFree(args);
    }
}

TEST_F(InstallJobTest, VerifiedPackageRunsThenTheLauncherStartsOnceTheTicksAreDone)
{
    // Upper case from the manifest still matches.
    std::wstring md5 = Utf8ToWide(Digests().md5), sha256 = Utf8ToWide(Digests().sha256);
    for (wchar_t& c : md5) c = towupper(c);
    for (wchar_t& c : sha256) c = towupper(c);
    CRefPtr<CInstallJob> job = StartJob(md5, sha256);
    EXPECT_EQ(NextPosted(5000), CInstallJob::WM_PACKAGE_VERIFIED);
    ASSERT_TRUE(WaitForInstallerEnd(*job));
    EXPECT_EQ(FirstLine(Package() + L".args"),
              WideToUtf8(Package() + L" /S \"/unpack=" + InstallDir() + L"\" /launch=off"));
    EXPECT_EQ(FirstLine(Package() + L".cwd"), WideToUtf8(m_temp.Path())) << "started in its own folder";
    job->SetTicks(CInstallJob::kTicksToFinish);
    WPARAM result = 0;
    EXPECT_EQ(NextPosted(5000, &result), static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(result, 1u);
    for (int i = 0; i < 200 && !Exists(LauncherRecord()); ++i) Sleep(25);
    EXPECT_EQ(FirstLine(LauncherRecord()), WideToUtf8(InstallDir() + L"\\TarvoLauncher.exe -i \"7\" -d"));
    EXPECT_EQ(FirstLine(InstallDir() + L"\\TarvoLauncher.exe.cwd"), WideToUtf8(InstallDir()));
    EXPECT_FALSE(Exists(Package()));
}

TEST_F(InstallJobTest, DigestMismatchOrRefusedSignatureRunsNothingAndCancelStartsNothing)
{
    // Either digest alone refuses the package; a malformed one is no "none".
    WPARAM signature = 99;
    const std::wstring md5 = Utf8ToWide(Digests().md5), sha256 = Utf8ToWide(Digests().sha256);
    const std::pair<std::wstring, std::wstring> wrong[] = {
        {L"00000000000000000000000000000000", L""},
        {L"", std::wstring(64, L'0')},
        {md5, std::wstring(64, L'0')},
        {L"", sha256.substr(0, 63)},
        {md5, L"z"},
    };
    for (const auto& [expectedMd5, expectedSha256] : wrong) {
        StartJob(expectedMd5, expectedSha256);
        EXPECT_EQ(NextPosted(5000, &signature), CInstallJob::WM_PACKAGE_CORRUPT) << expectedMd5 << L" " << expectedSha256;
        EXPECT_EQ(signature, static_cast<WPARAM>(SignatureVerdict::NotChecked));
    }
    // The stand-in carries no signature: with a signer pinned, a matching
    // digest does not make it run.
    Thumbprint pinned;
    pinned.fill(1);
    StartJob(md5, L"", CSignerPins({pinned}));
    EXPECT_EQ(NextPosted(5000, &signature), CInstallJob::WM_PACKAGE_CORRUPT);
    EXPECT_EQ(signature, static_cast<WPARAM>(SignatureVerdict::Unsigned));
    EXPECT_FALSE(Exists(Package() + L".args"));
    EXPECT_TRUE(Exists(Package()));

    // Without the ticks the worker waits after the package installer until
    // the window goes; the launcher would have posted the close first.
    CRefPtr<CInstallJob> waiting = StartJob(L"");
    EXPECT_EQ(NextPosted(5000), CInstallJob::WM_PACKAGE_VERIFIED);
    ASSERT_TRUE(WaitForInstallerEnd(*waiting));
    waiting->Cancel();
    ASSERT_TRUE(WaitForJobEnd(*waiting));
    EXPECT_TRUE(NothingQueued()) << "the launcher waits for the ticks";
    EXPECT_FALSE(Exists(LauncherRecord()));

    // The window closes in the install phase, whether the package installer
    // has started yet or not; the job outlives it and starts no launcher.
    CRefPtr<CInstallJob> job = StartJob(L"");
    EXPECT_EQ(NextPosted(5000), CInstallJob::WM_PACKAGE_VERIFIED);
    job->Cancel();
    job->SetTicks(CInstallJob::kTicksToFinish);
    ASSERT_TRUE(WaitForJobEnd(*job));
    EXPECT_TRUE(NothingQueued());
    EXPECT_FALSE(Exists(LauncherRecord()));
}
