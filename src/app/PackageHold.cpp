#include "PackageHold.h"

CPackageHold::CPackageHold(const std::wstring& path)
    : m_file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr))
{
}

PackageDigests CPackageHold::Digests()
{
    PackageDigests digests;
    if (IsHeld()) digests.ReadFrom(m_file);
    return digests;
}

void CPackageHold::Release()
{
    if (IsHeld()) CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
}
