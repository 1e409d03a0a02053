#pragma once
// Our own check of an https peer's certificate, on the connection libcurl
// has made: the chain must reach a root the system trusts, name the host,
// and be within its dates. Schannel does the same on Windows, but not every
// implementation of it checks; a transfer whose peer fails here is ended
// before any of its body is taken. Any thread; the easy handle must be the
// caller's transfer, inside one of its callbacks.
#include <windows.h>
#include <string>
#include <curl/curl.h>

class CPeerCertificate {
public:
    // 0 when the peer passes, else the chain policy's error (CERT_E_...) or
    // SEC_E_... when the certificate cannot be read.
    static DWORD Check(CURL* easy, const std::wstring& host);
    // Which check failed, for the log.
    static const wchar_t* Describe(DWORD error);
};
