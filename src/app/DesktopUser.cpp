#include "DesktopUser.h"
#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shellapi.h>
// The automation method of that name, not the function of the shell API.
#undef ShellExecute
#include <utility>
#include <vector>
#include "Runtime/LogSites.h"
#include "Runtime/ScopedHandle.h"
#include "app/CommonUtils.h"

namespace {

const wchar_t kSource[] = L".\\app\\DesktopUser.cpp";

// A primary token copied from the process that owns the window, or none.
CScopedHandle TokenOfWindowProcess(HWND window)
{
    DWORD processId = 0;
    if (!window || !GetWindowThreadProcessId(window, &processId) || !processId)
        return {};
    CScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    CScopedHandle token;
    if (!process || !OpenProcessToken(process.Get(), TOKEN_DUPLICATE, token.Receive()))
        return {};
    CScopedHandle primary;
    const DWORD access = TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT |
                         TOKEN_ADJUST_SESSIONID;
    if (!DuplicateTokenEx(token.Get(), access, nullptr, SecurityImpersonation, TokenPrimary, primary.Receive()))
        return {};
    return primary;
}

// Holds one COM interface and releases it.
template <class Interface>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef()
    {
        if (m_p)
            m_p->Release();
    }
    Interface* operator->() const { return m_p; }
    Interface* Get() const { return m_p; }
    void** Receive() { return reinterpret_cast<void**>(&m_p); }

private:
    Interface* m_p = nullptr;
};

// The desktop's own ShellExecute: the shell view of the desktop window, its
// folder view's automation object, and that object's application.
bool OpenThroughShell(const std::wstring& document)
{
    ComRef<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows, windows.Receive())))
        return false;
    VARIANT location = {};
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    VARIANT none = {};
    long window = 0;
    ComRef<IDispatch> desktop;
    ComRef<IServiceProvider> services;
    ComRef<IShellBrowser> browser;
    ComRef<IShellView> view;
    ComRef<IDispatch> background;
    ComRef<IShellFolderViewDual> folderView;
    ComRef<IDispatch> application;
    ComRef<IShellDispatch2> shell;
    if (windows->FindWindowSW(&location, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                              reinterpret_cast<IDispatch**>(desktop.Receive())) != S_OK ||
        FAILED(desktop->QueryInterface(IID_IServiceProvider, services.Receive())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.Receive())) ||
        FAILED(browser->QueryActiveShellView(reinterpret_cast<IShellView**>(view.Receive()))) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.Receive())) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.Receive())) ||
        FAILED(folderView->get_Application(reinterpret_cast<IDispatch**>(application.Receive()))) ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.Receive())))
        return false;
    BSTR file = SysAllocString(document.c_str());
    VARIANT empty = {};
    VARIANT show = {};
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    const HRESULT result = shell->ShellExecute(file, empty, empty, empty, show);
    SysFreeString(file);
    return SUCCEEDED(result);
}

} // namespace

CDesktopUser::Started CDesktopUser::Start(const std::wstring& exe, const std::wstring& commandLine,
                                          const std::wstring& workDir, HWND shellWindow)
{
    if (CScopedHandle token = TokenOfWindowProcess(shellWindow)) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
        line.push_back(L'\0');
        if (CreateProcessWithTokenW(token.Get(), 0, exe.c_str(), line.data(), 0, nullptr, workDir.c_str(), &startup,
                                    &info)) {
            CloseHandle(info.hProcess);
            CloseHandle(info.hThread);
            return {0, Rights::Shell};
        }
        LogFileOnly(2, kSource, __LINE__, L"start with the shell's rights failed: %u", unsigned(GetLastError()));
    }
    LogFileOnly(1, kSource, __LINE__, L"no desktop shell to start %s for: started with the installer's rights",
                exe.c_str());
    return {RunProcess(exe, commandLine, nullptr, workDir), Rights::Ours};
}

CDesktopUser::Rights CDesktopUser::Open(const std::wstring& document)
{
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool opened = OpenThroughShell(document);
    if (SUCCEEDED(com))
        CoUninitialize();
    if (opened)
        return Rights::Shell;
    LogFileOnly(1, kSource, __LINE__, L"no desktop shell to open %s: opened with the installer's rights",
                document.c_str());
    ShellExecuteW(nullptr, L"open", document.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return Rights::Ours;
}
