#include "PackageHold.h"
#include <vector>
#include "Updater/MD5.h"

CPackageHold::CPackageHold(const std::wstring& path)
    : m_file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr))
{
}

std::string CPackageHold::Md5()
{
    if (!IsHeld() || SetFilePointer(m_file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return {};
    std::vector<unsigned char> piece(1 << 16);
    MD5 digest;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(m_file, piece.data(), static_cast<DWORD>(piece.size()), &read, nullptr)) return {};
        if (read == 0) break;
        digest.update(piece.data(), read);
    }
    digest.finalize();
    return digest.hex_digest();
}

void CPackageHold::Release()
{
    if (IsHeld()) CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
}
