// The package's signature check alone, for scripts/bench (not a test):
//   SignatureBench.exe FILE THUMBPRINT
// Holds FILE and checks its signature against the one pinned signer the way
// the installer does, and prints "VERDICT SECONDS", the time taken inside
// the process, so Wine's start does not count.
#include <windows.h>
#include <cstdio>
#include "Updater/PackageSignature.h"
#include "app/PackageHold.h"

int wmain(int argc, wchar_t** argv)
{
    const std::optional<Thumbprint> signer = argc == 3 ? CSignerPins::ParseThumbprint(argv[2]) : std::nullopt;
    if (!signer) {
        fprintf(stderr, "usage: SignatureBench FILE THUMBPRINT\n");
        return 2;
    }
    CPackageHold hold(argv[1]);
    if (!hold.IsHeld())
        return 1;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const SignatureResult result = CPackageSignature::Check(CSignerPins({*signer}), hold.Handle(), argv[1]);
    QueryPerformanceCounter(&end);
    printf("%s %.3f\n", CSignerPins::Name(result.verdict),
           static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    return 0;
}
