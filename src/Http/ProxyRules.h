#pragma once
// The system's proxy setting as text, read as the platform's own clients
// read it: which proxy serves an address, and whether its host is on the
// bypass list. Plain values; any thread.
#include <string>

class CProxyRules {
public:
    // The proxy for scheme ("http" or "https") from a proxy list:
    // "host:port", "http://host:port", or "scheme=host:port" entries
    // separated by ";" or white space, where an entry without a scheme
    // serves every scheme. As libcurl takes it ("http://host:port"); empty
    // when the list names none for the scheme.
    static std::string ProxyFor(const std::wstring& list, const std::wstring& scheme);
    // Whether host goes direct: entries separated by ";", "," or white
    // space, "*" matching any run of characters, case ignored, and
    // "<local>" matching every host name without a dot.
    static bool Bypassed(const std::wstring& bypass, const std::wstring& host);
    // Scheme and host of an address ("https", "update.example.net"); both
    // empty when it has no "://".
    static std::wstring SchemeOf(const std::wstring& url);
    static std::wstring HostOf(const std::wstring& url);
};
