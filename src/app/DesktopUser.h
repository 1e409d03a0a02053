#pragma once
// Starts programs and opens pages for the person at the desktop, with the
// desktop shell's rights rather than ours. The installer runs as
// administrator; a launcher started with its token would keep those rights
// for its whole life and pass them to every program it starts. Where no
// desktop shell answers, or its rights cannot be borrowed, the program or page
// is started as before, with ours, and that is logged. Any thread.
#include <windows.h>
#include <string>

class CDesktopUser {
public:
    enum class Rights { Shell, Ours };
    struct Started {
        DWORD error = 0;
        Rights rights = Rights::Ours;
    };

    // Starts exe with exactly commandLine, in workDir, with a copy of the
    // token of shellWindow's process (normally the desktop shell's window).
    static Started Start(const std::wstring& exe, const std::wstring& commandLine, const std::wstring& workDir,
                         HWND shellWindow = GetShellWindow());
    // Opens a page or document through the desktop shell's own ShellExecute;
    // owner: the window the fallback's messages belong to.
    static Rights Open(const std::wstring& document, HWND owner = nullptr);
};
