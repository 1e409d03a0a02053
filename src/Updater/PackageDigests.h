#pragma once
// The package's MD5 and SHA-256 digests, computed in one pass over its
// bytes, and their verdicts against the manifest's values. One thread at a
// time; the caller keeps the file handle.
#include <windows.h>
#include <string>

enum class DigestVerdict { None, Ok, Mismatch };

struct PackageDigests {
    std::string md5;    // 32 lower-case hexadecimal digits, empty when unread
    std::string sha256; // 64 lower-case hexadecimal digits, empty when unread

    // Reads the file from its start to its end; false (digests empty) when
    // a read fails.
    bool ReadFrom(HANDLE file);

    // Empty expected text is None. Anything else must equal the actual
    // digest but for case: a malformed value (wrong length, not hex) can
    // never match, so it is a Mismatch, never None.
    static DigestVerdict Check(const std::wstring& expected, const std::string& actual);
    // Both digests that the manifest names match.
    bool Match(const std::wstring& md5Expected, const std::wstring& sha256Expected) const;
};
