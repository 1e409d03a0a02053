#include "PackageDigests.h"
#include <vector>
#include "MD5.h"
#include "Sha256.h"

namespace {
constexpr DWORD kPiece = 1 << 20;
}

bool PackageDigests::ReadFrom(HANDLE file)
{
    md5.clear();
    sha256.clear();
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return false;
    std::vector<unsigned char> piece(kPiece);
    MD5 md5Digest;
    Sha256 shaDigest;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, piece.data(), kPiece, &read, nullptr))
            return false;
        if (read == 0)
            break;
        md5Digest.update(piece.data(), read);
        shaDigest.Update(piece.data(), read);
    }
    md5Digest.finalize();
    md5 = md5Digest.hex_digest();
    sha256 = shaDigest.HexDigest();
    return true;
}

DigestVerdict PackageDigests::Check(const std::wstring& expected, const std::string& actual)
{
    if (expected.empty())
        return DigestVerdict::None;
    if (expected.size() != actual.size())
        return DigestVerdict::Mismatch;
    for (size_t i = 0; i < expected.size(); ++i) {
        wchar_t c = expected[i];
        wchar_t lower = (c >= L'A' && c <= L'F') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
        if (lower != static_cast<unsigned char>(actual[i]))
            return DigestVerdict::Mismatch;
    }
    return DigestVerdict::Ok;
}

bool PackageDigests::Match(const std::wstring& md5Expected, const std::wstring& sha256Expected) const
{
    return Check(md5Expected, md5) != DigestVerdict::Mismatch && Check(sha256Expected, sha256) != DigestVerdict::Mismatch;
}
