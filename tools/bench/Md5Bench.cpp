// The package digest alone, for scripts/bench (not a test):
//   Md5Bench.exe FILE
// Digests FILE the way the installer does (the stream handed to MD5) and
// prints "HEX SECONDS", the time taken inside the process, so Wine's start
// does not count.
#include <windows.h>
#include <cstdio>
#include "Updater/MD5.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: Md5Bench FILE\n");
        return 2;
    }
    FILE* file = _wfopen(argv[1], L"rb");
    if (!file)
        return 1;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    MD5 digest(file);
    QueryPerformanceCounter(&end);
    printf("%s %.3f\n", digest.hex_digest(),
           static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    return 0;
}
