#pragma once
// The process-wide application object. Everything here runs on the process's
// first thread, which becomes the UI thread and the runtime's main thread.
#include <windows.h>
#include <cstdint>

class CInstallerApp {
public:
    static CInstallerApp* Instance();

    // Reads the whole command line as a decimal launch id; the low 16 bits are
    // kept, 0 means none was given.
    void SetCommandLine(const wchar_t* commandLine);
    uint16_t LaunchId() const { return m_launchId; }

    // Each start-up step runs once however often this is called; Shutdown
    // undoes only what ran.
    void Startup();
    void Shutdown();

    // Gives the toolkit its step before dispatch, then translates and
    // dispatches the thread's messages until WM_QUIT; returns its wParam.
    static int MessageLoop();

    // The C runtime's wide-string-to-integer rules: leading white space,
    // optional sign, digits to the first non-digit, clamped to 32 bits.
    static int32_t ParseDecimal(const wchar_t* text);

private:
    uint16_t m_launchId = 0;
    static bool s_dispatchStarted;
    static bool s_engineStarted;
};
