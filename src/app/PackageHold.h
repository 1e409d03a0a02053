#pragma once
// Holds the downloaded package open from its digest check until the package
// installer's process has been created, sharing it for reading only: nobody
// can write, replace or delete it in between, so the bytes that were checked
// are the bytes that run. Owned by the install worker; one thread.
#include <windows.h>
#include <string>
#include "Updater/PackageDigests.h"

class CPackageHold {
public:
    explicit CPackageHold(const std::wstring& path);
    CPackageHold(const CPackageHold&) = delete;
    CPackageHold& operator=(const CPackageHold&) = delete;
    ~CPackageHold() { Release(); }

    bool IsHeld() const { return m_file != INVALID_HANDLE_VALUE; }
    // For checks that read the held file themselves; the hold keeps it.
    HANDLE Handle() const { return m_file; }
    // Both digests of the whole file, in one pass; empty when it cannot be
    // read.
    PackageDigests Digests();
    void Release();

private:
    HANDLE m_file;
};
