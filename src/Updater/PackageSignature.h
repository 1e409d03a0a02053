#pragma once
// The package's Authenticode signature as the platform judges it
// (WinVerifyTrust, generic verify v2, no UI, no revocation check, no
// network), read through a handle the caller holds open, so the bytes judged
// are the bytes that run; the file is never opened by name. wintrust.dll,
// crypt32.dll and the DLLs they load come from System32 only. Any thread;
// blocking.
#include <windows.h>
#include <string>
#include "SignerPins.h"

struct SignatureResult {
    SignatureVerdict verdict;
    long status; // what WinVerifyTrust answered, for the log
};

class CPackageSignature {
public:
    // file: open for reading, path: its name. Without pins nothing is read
    // and nothing loaded: the verdict is NotChecked. With pins and no open
    // file the verdict is Bad.
    static SignatureResult Check(const CSignerPins& pins, HANDLE file, const std::wstring& path);
};
