#include <gtest/gtest.h>
#include <shlobj.h>
#include <fstream>
#include "Runtime/StringConvert.h"
#include "app/InstallerApp.h"
#include "app/LauncherSetup.h"
#include "support/TempFolder.h"

// Works on the prefix's real settings file and registry key; both are put
// back as they were found.
class LauncherSetupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MoveFileExW(SettingsPath().c_str(), SavedSettingsPath().c_str(), MOVEFILE_REPLACE_EXISTING);
        RemoveRegistry();
    }
    void TearDown() override
    {
        DeleteFileW(SettingsPath().c_str());
        MoveFileExW(SavedSettingsPath().c_str(), SettingsPath().c_str(), MOVEFILE_REPLACE_EXISTING);
        RemoveRegistry();
    }

    static std::wstring SettingsPath()
    {
        wchar_t dir[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, dir);
        return std::wstring(dir) + L"\\TarvoLaucher.ini";
    }
    static std::wstring SavedSettingsPath() { return SettingsPath() + L".saved-by-test"; }
    static void WriteSettings(const std::wstring& launcher)
    {
        WritePrivateProfileStringW(L"TarvoWeb-Launcher", L"InstallPath", launcher.c_str(), SettingsPath().c_str());
    }
    // The value is stored without a terminator: the reader ends it at its length.
    static void WriteRegistry(REGSAM view, DWORD type, const std::wstring& folder)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TarvoLauncher", 0, nullptr, 0, KEY_SET_VALUE | view,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, L"InstPath", 0, type, reinterpret_cast<const BYTE*>(folder.data()),
                       DWORD(folder.size() * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    static void RemoveRegistry()
    {
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TarvoLauncher", KEY_WOW64_32KEY, 0);
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TarvoLauncher", KEY_WOW64_64KEY, 0);
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
        std::wstring exe = Folder(name) + L"\\TarvoLauncher.exe";
        EXPECT_TRUE(CopyFileW((GetModuleDir() + L"\\RecordArgs.exe").c_str(), exe.c_str(), FALSE));
        return exe;
    }
    static void Touch(const std::wstring& path) { std::ofstream(path.c_str()) << "x"; }
    static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    // Line n (from 1) of what the recorder beside exe wrote, once it is there.
    static std::string RecordedBy(const std::wstring& exe, int n = 1)
    {
        for (int i = 0; i < 400; ++i, Sleep(50)) {
            std::ifstream file((exe + L".args").c_str());
            std::string line;
            for (int read = 0; read < n && std::getline(file, line) && !file.eof(); ++read)
                if (read + 1 == n)
                    return line;
        }
        return "(nothing recorded)";
    }

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
    WriteRegistry(KEY_WOW64_32KEY, REG_BINARY, m_temp.File(L"B"));
    CLauncherSetup binary(m_temp.Path());
    EXPECT_FALSE(binary.DetectExistingInstall());
    EXPECT_EQ(binary.InstallDir(), L"");

    RemoveRegistry();
    WriteRegistry(KEY_WOW64_64KEY, REG_SZ, m_temp.File(L"B"));
    CLauncherSetup wide(m_temp.Path());
    EXPECT_FALSE(wide.DetectExistingInstall());
    EXPECT_EQ(wide.InstallDir(), L"");

    WriteRegistry(KEY_WOW64_32KEY, REG_SZ, m_temp.File(L"B"));
    CLauncherSetup narrow(m_temp.Path());
    EXPECT_TRUE(narrow.DetectExistingInstall());
}

TEST_F(LauncherSetupTest, LocalPackageNeedsTheLauncherLibraryBesideTheProgram)
{
    std::wstring packageOnly = Folder(L"package-only");
    Touch(packageOnly + L"\\tvinstaller.exe");
    CLauncherSetup none(packageOnly);
    none.SetWorkDir(L"D:\\work");
    none.CheckLocalPackage();
    EXPECT_FALSE(none.LauncherBesideProgram());
    EXPECT_FALSE(none.PackageBesideProgram());
    EXPECT_EQ(none.WorkDir(), L"D:\\work");

    std::wstring launcherOnly = Folder(L"launcher-only");
    Touch(launcherOnly + L"\\tvmain.dll");
    CLauncherSetup download(launcherOnly);
    download.CheckLocalPackage();
    EXPECT_TRUE(download.LauncherBesideProgram());
    EXPECT_FALSE(download.PackageBesideProgram());
    EXPECT_EQ(download.WorkDir(), launcherOnly);

    Touch(packageOnly + L"\\tvmain.dll");
    CLauncherSetup both(packageOnly);
    both.CheckLocalPackage();
    EXPECT_TRUE(both.LauncherBesideProgram());
    EXPECT_TRUE(both.PackageBesideProgram());
    EXPECT_EQ(both.WorkDir(), packageOnly);
}

TEST_F(LauncherSetupTest, StartingTheExistingLauncher)
{
    std::wstring launcher = LauncherIn(L"A");
    WriteSettings(launcher);
    CLauncherSetup setup(m_temp.Path());
    setup.TakeLaunchId(0);
    ASSERT_TRUE(setup.DetectExistingInstall());
    ASSERT_TRUE(setup.StartExistingLauncher());
    EXPECT_EQ(RecordedBy(launcher), WideToUtf8(launcher + L" -i \"1\" -d"));

    WriteSettings(m_temp.File(L"A"));
    ASSERT_TRUE(setup.DetectExistingInstall()) << "any existing path is taken";
    EXPECT_FALSE(setup.StartExistingLauncher()) << "a folder cannot be started";
}

TEST_F(LauncherSetupTest, AfterTheInstallTheLauncherStartsAndSpentFilesGo)
{
    CInstallerApp app;
    app.SetCommandLine(L"70000");
    std::wstring launcher = LauncherIn(L"installed");
    std::wstring work = Folder(L"work");
    CLauncherSetup downloaded(m_temp.Path());
    downloaded.TakeLaunchId(app.LaunchId());
    downloaded.SetInstallDir(m_temp.File(L"installed"));
    downloaded.SetWorkDir(work);
    ASSERT_EQ(downloaded.PreparePackagePath(), work + L"\\tvinstaller.exe");
    Touch(work + L"\\tvinstaller.exe");
    Touch(work + L"\\tvinstall.ini");
    downloaded.LaunchAfterInstall();
    EXPECT_EQ(RecordedBy(launcher), WideToUtf8(launcher + L" -i \"4464\" -d"));
    EXPECT_FALSE(Exists(work + L"\\tvinstaller.exe"));
    EXPECT_FALSE(Exists(work + L"\\tvinstall.ini"));

    std::wstring program = Folder(L"program");
    Touch(program + L"\\tvmain.dll");
    Touch(program + L"\\tvinstaller.exe");
    Touch(program + L"\\tvinstall.ini");
    CLauncherSetup beside(program);
    beside.CheckLocalPackage();
    beside.SetInstallDir(m_temp.File(L"installed"));
    beside.PreparePackagePath();
    beside.LaunchAfterInstall();
    EXPECT_EQ(RecordedBy(launcher, 2), WideToUtf8(launcher + L" -i \"1\" -d"));
    EXPECT_TRUE(Exists(program + L"\\tvinstaller.exe")) << "a package beside the program stays";
    EXPECT_FALSE(Exists(program + L"\\tvinstall.ini"));
}
