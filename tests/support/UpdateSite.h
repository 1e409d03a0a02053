#pragma once
// The update host that scripts/test serves with nginx for the whole run:
// TARVO_NGINX_URL is its address and TARVO_SITE_DIR its folder (a Unix
// path, seen by Wine under Z:). It holds "tvinstall.txt" naming the package
// "pkg/tvinstaller.exe" with its size, digest and version 2.4.1; tests may
// add files of their own.
#include <windows.h>
#include <fstream>
#include <string>

class UpdateSite {
public:
    static std::wstring Url(const std::wstring& path) { return Env(L"TARVO_NGINX_URL") + path; }
    static std::wstring Folder()
    {
        std::wstring unix = Env(L"TARVO_SITE_DIR");
        for (wchar_t& c : unix)
            if (c == L'/')
                c = L'\\';
        return L"Z:" + unix;
    }
    static bool Available() { return !Env(L"TARVO_NGINX_URL").empty() && !Env(L"TARVO_SITE_DIR").empty(); }
    static void Write(const std::wstring& relative, const std::string& content)
    {
        std::ofstream((Folder() + L"\\" + relative).c_str(), std::ios::binary) << content;
    }
    static std::string Read(const std::wstring& relative)
    {
        std::ifstream in((Folder() + L"\\" + relative).c_str(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    static std::wstring Env(const wchar_t* name)
    {
        wchar_t value[1024] = {};
        DWORD n = GetEnvironmentVariableW(name, value, 1024);
        return n > 0 && n < 1024 ? value : L"";
    }
};
