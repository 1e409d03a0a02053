#include "SystemProxy.h"
#include <windows.h>
#include <winhttp.h>
#include "ProxyRules.h"
#include "Runtime/LogSites.h"
#include "Runtime/SystemLibrary.h"

namespace {

const wchar_t kSource[] = L".\\Http\\SystemProxy.cpp";

template <class Function>
Function WinHttp(const char* name)
{
    return CSystemLibrary::Find<Function>(L"winhttp.dll", name);
}

// The strings WinHTTP hands over belong to the caller.
std::wstring Take(LPWSTR text)
{
    std::wstring value = text ? text : L"";
    if (text)
        GlobalFree(text);
    return value;
}

// Detection asks the network's name service only: the DHCP way can keep a
// request waiting for seconds where nothing answers it.
constexpr DWORD kDetection = WINHTTP_AUTO_DETECT_TYPE_DNS_A;
constexpr int kAskMs = 2000;

} // namespace

CSystemProxy& CSystemProxy::Instance()
{
    static CSystemProxy proxy;
    return proxy;
}

CSystemProxy::Setting CSystemProxy::ReadSetting()
{
    Setting setting;
    auto read = WinHttp<decltype(&WinHttpGetIEProxyConfigForCurrentUser)>("WinHttpGetIEProxyConfigForCurrentUser");
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
    if (!read || !read(&config))
        return setting;
    setting.autoDetect = config.fAutoDetect != FALSE;
    setting.scriptUrl = Take(config.lpszAutoConfigUrl);
    setting.proxy = Take(config.lpszProxy);
    setting.bypass = Take(config.lpszProxyBypass);
    LogConsoleAndFile(0, kSource, __LINE__, L"[proxy] detect %d script %s proxy %s bypass %s",
                      setting.autoDetect ? 1 : 0, setting.scriptUrl.c_str(), setting.proxy.c_str(),
                      setting.bypass.c_str());
    return setting;
}

std::string CSystemProxy::AskAutomatic(const std::wstring& url) const
{
    auto open = WinHttp<decltype(&WinHttpOpen)>("WinHttpOpen");
    auto timeouts = WinHttp<decltype(&WinHttpSetTimeouts)>("WinHttpSetTimeouts");
    auto ask = WinHttp<decltype(&WinHttpGetProxyForUrl)>("WinHttpGetProxyForUrl");
    auto close = WinHttp<decltype(&WinHttpCloseHandle)>("WinHttpCloseHandle");
    if (!open || !timeouts || !ask || !close)
        return {};
    HINTERNET session = open(L"TarvoSetup", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                             WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session)
        return {};
    timeouts(session, kAskMs, kAskMs, kAskMs, kAskMs);
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    if (!m_setting.scriptUrl.empty()) {
        options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = m_setting.scriptUrl.c_str();
    }
    if (m_setting.autoDetect) {
        options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = kDetection;
    }
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info = {};
    std::string proxy;
    if (ask(session, url.c_str(), &options, &info)) {
        std::wstring list = Take(info.lpszProxy), bypass = Take(info.lpszProxyBypass);
        if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY &&
            !CProxyRules::Bypassed(bypass, CProxyRules::HostOf(url)))
            proxy = CProxyRules::ProxyFor(list, CProxyRules::SchemeOf(url));
    }
    close(session);
    return proxy;
}

std::string CSystemProxy::ProxyFor(const std::wstring& url)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_read) {
        m_setting = ReadSetting();
        m_read = true;
    }
    const std::wstring host = CProxyRules::HostOf(url);
    if (!m_setting.proxy.empty())
        return CProxyRules::Bypassed(m_setting.bypass, host)
                   ? std::string()
                   : CProxyRules::ProxyFor(m_setting.proxy, CProxyRules::SchemeOf(url));
    if (m_setting.scriptUrl.empty() && !m_setting.autoDetect)
        return {};
    auto known = m_byHost.find(host);
    if (known == m_byHost.end())
        known = m_byHost.emplace(host, AskAutomatic(url)).first;
    return known->second;
}
