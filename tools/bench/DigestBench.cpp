// The package digests alone, for scripts/bench (not a test):
//   DigestBench.exe FILE
// Digests FILE the way the installer does (MD5 and SHA-256 in one pass) and
// prints "MD5 SHA256 SECONDS", the time taken inside the process, so Wine's
// start does not count.
#include <windows.h>
#include <cstdio>
#include "Updater/PackageDigests.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: DigestBench FILE\n");
        return 2;
    }
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    PackageDigests digests;
    bool read = digests.ReadFrom(file);
    QueryPerformanceCounter(&end);
    CloseHandle(file);
    if (!read)
        return 1;
    printf("%s %s %.3f\n", digests.md5.c_str(), digests.sha256.c_str(),
           static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    return 0;
}
