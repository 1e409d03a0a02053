#include <gtest/gtest.h>
#include <shlobj.h>
#include <fstream>
#include "Runtime/StringConvert.h"
#include "app/InstallerApp.h"
#include "app/LauncherSetup.h"
#include "support/Recorder.h"
#include "support/TempFolder.h"

// Works on the prefix's real settings file and registry key; both are put
// back as they were found.
class LauncherSetupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MoveFileExW(m_settings.c_str(), m_saved.c_str(), MOVEFILE_REPLACE_EXISTING);
        RemoveRegistry();
    }
    void TearDown() override
    {
        DeleteFileW(m_settings.c_str());
        MoveFileExW(m_saved.c_str(), m_settings.c_str(), MOVEFILE_REPLACE_EXISTING);
        RemoveRegistry();
    }

    static std::wstring CommonAppData()
    {
        wchar_t dir[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, dir);
        return dir;
    }
    void WriteSettings(const std::wstring& launcher)
    {
        WritePrivateProfileStringW(L"TarvoWeb-Launcher", L"InstallPath", launcher.c_str(), m_settings.c_str());
    }
    // Stored without a terminator: the reader must end the value at its length.
    static void WriteRegistry(REGSAM view, DWORD type, const std::wstring& folder)
    {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key, nullptr);
        RegSetValueExW(key, L"InstPath", 0, type, reinterpret_cast<const BYTE*>(folder.data()),
                       DWORD(folder.size() * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    static void RemoveRegistry()
    {
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kKey, KEY_WOW64_32KEY, 0);
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kKey, KEY_WOW64_64KEY, 0);
    }

    std::wstring Folder(const std::wstring& name)
    {
        std::wstring dir = m_temp.File(name);
        CreateDirectoryW(dir.c_str(), nullptr);
        return dir;
    }
    // A folder holding our command-line recorder as the launcher.
    std::wstring LauncherIn(const std::wstring& name)
    {
        std::wstring exe = Recorder::CopyTo(Folder(name));
        EXPECT_NE(exe, L"");
        return exe;
    }
    static void Touch(const std::wstring& path) { std::ofstream(path.c_str()) << "x"; }
    static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    static constexpr const wchar_t* kKey = L"SOFTWARE\\TarvoLauncher";
    const std::wstring m_settings = CommonAppData() + L"\\TarvoLaucher.ini";
    const std::wstring m_saved = m_settings + L".saved-by-test";
    TempFolder m_temp;
};

TEST_F(LauncherSetupTest, SettingsFileWinsThenTheRegistryFolder)
{
    std::wstring first = LauncherIn(L"A");
    std::wstring second = LauncherIn(L"塔沃岚盒");
    WriteSettings(first);
    WriteRegistry(KEY_WOW64_32KEY, REG_SZ, m_temp.File(L"塔沃岚盒"));

    CLauncherSetup setup(m_temp.Path());
    ASSERT_TRUE(setup.DetectExistingInstall());
    EXPECT_EQ(setup.LauncherExe(), first);
    EXPECT_EQ(setup.InstallDir(), m_temp.File(L"A"));

    WriteSettings(m_temp.File(L"gone\\TarvoLauncher.exe"));
    ASSERT_TRUE(setup.DetectExistingInstall()) << "a missing path falls through to the registry";
    EXPECT_EQ(setup.LauncherExe(), second);
    EXPECT_EQ(setup.InstallDir(), m_temp.File(L"塔沃岚盒"));

    WriteRegistry(KEY_WOW64_32KEY, REG_SZ, Folder(L"empty"));
    EXPECT_FALSE(setup.DetectExistingInstall()) << "a folder without the launcher is no install";
    EXPECT_EQ(setup.LauncherExe(), L"");
    EXPECT_EQ(setup.InstallDir(), m_temp.File(L"empty")) << "yet it is where the install goes";
}

TEST_F(LauncherSetupTest, OnlyAStringInThe32BitViewCounts)
{
    LauncherIn(L"B");
    struct Case {
        REGSAM view;
        DWORD type;
        bool found;
    } cases[] = {{KEY_WOW64_32KEY, REG_BINARY, false}, {KEY_WOW64_64KEY, REG_SZ, false}, {KEY_WOW64_32KEY, REG_SZ, true}};
    for (const Case& c : cases) {
        RemoveRegistry();
        WriteRegistry(c.view, c.type, m_temp.File(L"B"));
        CLauncherSetup setup(m_temp.Path());
        EXPECT_EQ(setup.DetectExistingInstall(), c.found) << c.view << " " << c.type;
        EXPECT_EQ(setup.InstallDir(), c.found ? m_temp.File(L"B") : L"");
    }
}

TEST_F(LauncherSetupTest, StartingTheExistingLauncher)
{
    std::wstring launcher = LauncherIn(L"A");
    WriteSettings(launcher);
    CLauncherSetup setup(m_temp.Path());
    setup.TakeLaunchId(0);
    ASSERT_TRUE(setup.DetectExistingInstall());
    ASSERT_TRUE(setup.StartExistingLauncher());
    EXPECT_EQ(Recorder::FirstLine(launcher), WideToUtf8(launcher + L" -i \"1\" -d"));
}

TEST(LauncherSettingsPath, OnlyALocalAbsoluteLauncherPathIsTrusted)
{
    const struct {
        const wchar_t* path;
        bool trusted;
    } cases[] = {{L"C:\\Program Files\\Tarvo\\TarvoLauncher.exe", true},
                 {L"d:\\游戏\\tarvolauncher.EXE", true},
                 {L"\\\\host\\share\\TarvoLauncher.exe", false},
                 {L"\\\\?\\C:\\Tarvo\\TarvoLauncher.exe", false},
                 {L"Tarvo\\TarvoLauncher.exe", false},
                 {L"C:TarvoLauncher.exe", false},
                 {L"C:\\Tarvo\\..\\TarvoLauncher.exe", false},
                 {L"C:/Tarvo/../TarvoLauncher.exe", false},
                 {L"C:\\Tarvo\\cmd.exe", false},
                 {L"C:\\Tarvo\\x.txt:TarvoLauncher.exe", false},
                 {L"C:\\Tarvo\\", false}};
    for (const auto& c : cases)
        EXPECT_EQ(CLauncherSetup::IsTrustedSettingsPath(c.path), c.trusted) << WideToUtf8(c.path);
}

// Each path below names a launcher that exists; none of it may be taken, and
// the registry's launcher is found instead.
TEST_F(LauncherSetupTest, AnUntrustedSettingsPathFallsThroughToTheRegistry)
{
    const std::wstring trusted = LauncherIn(L"正版");
    WriteRegistry(KEY_WOW64_32KEY, REG_SZ, m_temp.File(L"正版"));
    const std::wstring planted = LauncherIn(L"planted");
    ASSERT_NE(Recorder::CopyTo(m_temp.File(L"planted"), L"Other.exe"), L"");
    Folder(L"up");
    // Wine serves "\\host\share" from the prefix's dosdevices\unc folder.
    wchar_t prefix[MAX_PATH] = {};
    ASSERT_TRUE(GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH));
    const std::wstring share = std::wstring(L"Z:") + prefix + L"\\dosdevices\\unc\\tarvo-test-host\\share";
    SHCreateDirectoryExW(nullptr, share.c_str(), nullptr);
    ASSERT_NE(Recorder::CopyTo(share), L"");
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    SetCurrentDirectoryW(m_temp.File(L"planted").c_str());

    const std::wstring paths[] = {L"\\\\tarvo-test-host\\share\\TarvoLauncher.exe", L"TarvoLauncher.exe",
                                  m_temp.File(L"planted\\Other.exe"), m_temp.File(L"up\\..\\planted\\TarvoLauncher.exe"),
                                  L"\\\\?\\" + planted};
    for (const std::wstring& path : paths) {
        WriteSettings(path);
        CLauncherSetup setup(m_temp.Path());
        EXPECT_TRUE(setup.DetectExistingInstall()) << WideToUtf8(path);
        EXPECT_EQ(setup.LauncherExe(), trusted) << WideToUtf8(path);
    }
    SetCurrentDirectoryW(before);
    DeleteFileW((share + L"\\TarvoLauncher.exe").c_str());
    RemoveDirectoryW(share.c_str());
    RemoveDirectoryW(ParentDir(share).c_str());
}

TEST_F(LauncherSetupTest, AfterADownloadTheLauncherStartsAndSpentFilesGo)
{
    CInstallerApp app;
    app.SetCommandLine(L"70000");
    std::wstring launcher = LauncherIn(L"installed");
    std::wstring work = Folder(L"work");
    CLauncherSetup setup(m_temp.Path());
    setup.TakeLaunchId(app.LaunchId());
    setup.SetInstallDir(m_temp.File(L"installed"));
    setup.SetWorkDir(work);
    ASSERT_EQ(setup.PreparePackagePath(), work + L"\\tvinstaller.exe");
    Touch(work + L"\\tvinstaller.exe");
    Touch(work + L"\\tvinstall.ini");
    setup.LaunchAfterInstall();
    EXPECT_EQ(Recorder::FirstLine(launcher), WideToUtf8(launcher + L" -i \"4464\" -d"));
    EXPECT_FALSE(Exists(work + L"\\tvinstaller.exe"));
    EXPECT_FALSE(Exists(work + L"\\tvinstall.ini"));
}

TEST_F(LauncherSetupTest, APackageBesideTheProgramStaysAfterTheInstall)
{
    std::wstring launcher = LauncherIn(L"installed");
    std::wstring program = Folder(L"program");
    Touch(program + L"\\tvinstaller.exe");
    Touch(program + L"\\tvinstall.ini");
    CLauncherSetup packageOnly(program);
    packageOnly.CheckLocalPackage();
    EXPECT_FALSE(packageOnly.LauncherBesideProgram() || packageOnly.PackageBesideProgram()) << "no launcher library";
    EXPECT_EQ(packageOnly.WorkDir(), L"");

    Touch(program + L"\\tvmain.dll");
    CLauncherSetup beside(program);
    beside.CheckLocalPackage();
    ASSERT_TRUE(beside.PackageBesideProgram());
    EXPECT_EQ(beside.WorkDir(), program);
    beside.SetInstallDir(m_temp.File(L"installed"));
    beside.PreparePackagePath();
    beside.LaunchAfterInstall();
    EXPECT_EQ(Recorder::FirstLine(launcher), WideToUtf8(launcher + L" -i \"1\" -d"));
    EXPECT_TRUE(Exists(program + L"\\tvinstaller.exe"));
    EXPECT_FALSE(Exists(program + L"\\tvinstall.ini"));

    DeleteFileW((program + L"\\tvinstaller.exe").c_str());
    CLauncherSetup launcherOnly(program);
    launcherOnly.CheckLocalPackage();
    EXPECT_TRUE(launcherOnly.LauncherBesideProgram());
    EXPECT_FALSE(launcherOnly.PackageBesideProgram()) << "the download goes beside the program";
}
