#pragma once
// The proxy the system gives this user's programs (the Internet Options
// setting, read through WinHTTP once): a fixed proxy with its bypass list,
// or an automatic-configuration script or detection, asked once per host
// and remembered. With nothing configured every address goes direct, as
// before. WinHTTP is loaded from System32 at the first call. Any thread.
#include <map>
#include <mutex>
#include <string>

class CSystemProxy {
public:
    static CSystemProxy& Instance();
    // "http://host:port" for libcurl, or empty for a direct connection.
    std::string ProxyFor(const std::wstring& url);

private:
    struct Setting {
        bool autoDetect = false;
        std::wstring scriptUrl, proxy, bypass;
    };
    static Setting ReadSetting();
    std::string AskAutomatic(const std::wstring& url) const;

    std::mutex m_lock;
    bool m_read = false;
    Setting m_setting;
    std::map<std::wstring, std::string> m_byHost;
};
