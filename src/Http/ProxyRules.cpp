#include "ProxyRules.h"
#include <cwctype>
#include <vector>
#include "Runtime/StringConvert.h"

namespace {

std::vector<std::wstring> Entries(const std::wstring& text, const wchar_t* separators)
{
    std::vector<std::wstring> entries;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(separators, start);
        end = end == std::wstring::npos ? text.size() : end;
        if (end > start)
            entries.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool Matches(const wchar_t* pattern, const wchar_t* text)
{
    if (*pattern == L'\0')
        return *text == L'\0';
    if (*pattern == L'*')
        return Matches(pattern + 1, text) || (*text != L'\0' && Matches(pattern, text + 1));
    return *text != L'\0' && *pattern == *text && Matches(pattern + 1, text + 1);
}

} // namespace

std::string CProxyRules::ProxyFor(const std::wstring& list, const std::wstring& scheme)
{
    std::wstring chosen;
    for (const std::wstring& entry : Entries(list, L"; \t\r\n")) {
        size_t equals = entry.find(L'=');
        if (equals == std::wstring::npos) {
            if (chosen.empty())
                chosen = entry;
        } else if (Lower(entry.substr(0, equals)) == Lower(scheme)) {
            chosen = entry.substr(equals + 1);
            break;
        }
    }
    if (chosen.empty())
        return {};
    if (chosen.find(L"://") == std::wstring::npos)
        chosen = L"http://" + chosen;
    // The system's default proxy port is 80; libcurl's would be 1080.
    const size_t host = chosen.find(L"://") + 3;
    const size_t bracket = chosen.find(L']', host);
    if (chosen.find(L':', bracket == std::wstring::npos ? host : bracket) == std::wstring::npos)
        chosen += L":80";
    return WideToUtf8(chosen);
}

bool CProxyRules::Bypassed(const std::wstring& bypass, const std::wstring& host)
{
    const std::wstring name = Lower(host);
    for (const std::wstring& entry : Entries(Lower(bypass), L"; ,\t\r\n")) {
        if (entry == L"<local>" ? name.find(L'.') == std::wstring::npos : Matches(entry.c_str(), name.c_str()))
            return true;
    }
    return false;
}

std::wstring CProxyRules::SchemeOf(const std::wstring& url)
{
    size_t mark = url.find(L"://");
    return mark == std::wstring::npos ? std::wstring() : Lower(url.substr(0, mark));
}

std::wstring CProxyRules::HostOf(const std::wstring& url)
{
    size_t mark = url.find(L"://");
    if (mark == std::wstring::npos)
        return {};
    std::wstring rest = url.substr(mark + 3);
    return rest.substr(0, rest.find_first_of(L":/?#"));
}
