#pragma once
// What the installer knows about the launcher it installs: where an earlier
// install lies, whether the program itself sits in a launcher folder beside a
// prepared package, and how the launcher is started: in its own folder, with
// the desktop user's rights where the system allows. The installer window owns
// one and turns its results into message boxes; nothing here shows UI.
// Threads: the UI thread, except LaunchAfterInstall, which the install worker
// calls while the UI leaves this object alone.
#include <windows.h>
#include <cstdint>
#include <string>
#include "Runtime/FileSystem.h"

class CLauncherSetup {
public:
    // programDir: the folder searched for "tvmain.dll" and "tvinstaller.exe".
    explicit CLauncherSetup(std::wstring programDir = GetModuleDir());

    // Looks in the launcher's settings file, then in its registry key; may set
    // the install folder even when no launcher executable is found.
    bool DetectExistingInstall();
    // Notices a launcher folder around the program, and a package beside it.
    void CheckLocalPackage();
    // True when the earlier launcher's process was created.
    bool StartExistingLauncher() const;
    // Starts the freshly installed launcher and deletes the spent files; any
    // failure is ignored, the install ends either way.
    void LaunchAfterInstall() const;

    // The settings file lies where any account may write, so its launcher
    // path counts only when it is an absolute path on a drive letter, with
    // no "\\" or "\\?\" prefix and no ".." piece, naming "TarvoLauncher.exe".
    // Pure: the path is not touched.
    static bool IsTrustedSettingsPath(const std::wstring& path);

    // A launch id of 0 means none was given and keeps the default 1.
    void TakeLaunchId(uint16_t launchId);
    // The package goes to (or lies in) the work folder; returns its path.
    const std::wstring& PreparePackagePath();

    void SetInstallDir(const std::wstring& dir) { m_installDir = dir; }
    void SetWorkDir(const std::wstring& dir) { m_workDir = dir; }
    const std::wstring& InstallDir() const { return m_installDir; }
    const std::wstring& WorkDir() const { return m_workDir; }
    const std::wstring& LauncherExe() const { return m_launcherExe; }
    const std::wstring& PackagePath() const { return m_installerPath; }
    bool LauncherBesideProgram() const { return m_launcherBesideProgram; }
    bool PackageBesideProgram() const { return m_packageBesideProgram; }

private:
    bool ReadSettingsFile(const std::wstring& settings);
    bool ReadRegistry();
    DWORD StartLauncher(const std::wstring& exe) const;

    std::wstring m_programDir;
    std::wstring m_installDir;
    std::wstring m_launcherExe;
    std::wstring m_workDir;
    std::wstring m_installerPath;
    int32_t m_launchId = 1;
    bool m_launcherBesideProgram = false;
    bool m_packageBesideProgram = false;
};
