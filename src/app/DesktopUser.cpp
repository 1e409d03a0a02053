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
#include "Runtime/RefPtr.h"
#include "Runtime/ScopedHandle.h"
#include "Runtime/Process.h"

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
    const DWORD access = TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY;
    if (!DuplicateTokenEx(token.Get(), access, nullptr, SecurityImpersonation, TokenPrimary, primary.Receive()))
        return {};
    return primary;
}

// Where a query hands back any interface through a void**.
template <class Interface>
void** Out(CRefPtr<Interface>& holder)
{
    return reinterpret_cast<void**>(holder.Receive());
}

// The desktop's own ShellExecute: the shell view of the desktop window, its
// folder view's automation object, and that object's application.
bool OpenThroughShell(const std::wstring& document)
{
    CRefPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows, Out(windows))))
        return false;
    VARIANT location = {};
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    VARIANT none = {};
    long window = 0;
    CRefPtr<IDispatch> desktop;
    CRefPtr<IServiceProvider> services;
    CRefPtr<IShellBrowser> browser;
    CRefPtr<IShellView> view;
    CRefPtr<IDispatch> background;
    CRefPtr<IShellFolderViewDual> folderView;
    CRefPtr<IDispatch> application;
    CRefPtr<IShellDispatch2> shell;
    if (windows->FindWindowSW(&location, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.Receive()) != S_OK ||
        FAILED(desktop->QueryInterface(IID_IServiceProvider, Out(services))) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, Out(browser))) ||
        FAILED(browser->QueryActiveShellView(view.Receive())) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, Out(background))) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, Out(folderView))) ||
        FAILED(folderView->get_Application(application.Receive())) ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, Out(shell))))
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
        if (CreateProcessWithTokenW(token.Get(), 0, exe.c_str(), line.data(), 0, nullptr,
                                    workDir.empty() ? nullptr : workDir.c_str(), &startup, &info)) {
            CloseHandle(info.hProcess);
            CloseHandle(info.hThread);
            return {0, Rights::Shell};
        }
        LogFileOnly(2, kSource, __LINE__, L"%s did not start with the desktop shell's rights (%u): "
                    L"starting it with ours", exe.c_str(), unsigned(GetLastError()));
    } else {
        LogFileOnly(1, kSource, __LINE__, L"no desktop shell's rights to start %s with: starting it with ours",
                    exe.c_str());
    }
    return {RunProcess(exe, commandLine, nullptr, workDir), Rights::Ours};
}

CDesktopUser::Rights CDesktopUser::Open(const std::wstring& document, HWND owner)
{
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool opened = OpenThroughShell(document);
    if (SUCCEEDED(com))
        CoUninitialize();
    if (opened)
        return Rights::Shell;
    LogFileOnly(1, kSource, __LINE__, L"no desktop shell to open %s: opened with the installer's rights",
                document.c_str());
    ShellExecuteW(owner, L"open", document.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return Rights::Ours;
}
