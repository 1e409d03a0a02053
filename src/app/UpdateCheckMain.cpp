#include <cstdio>
#include <cwchar>
#include "app/UpdateCheck.h"

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::wstring> args(argv + 1, argv + argc);
    for (const std::wstring& arg : args) {
        if (arg == L"--help") {
            fputs(CUpdateCheck::Usage(), stdout);
            return 0;
        }
    }
    std::string error;
    std::optional<UpdateCheckOptions> options = CUpdateCheck::ParseArguments(args, error);
    if (!options) {
        fprintf(stderr, "TarvoUpdateCheck: %s\n\n%s", error.c_str(), CUpdateCheck::Usage());
        return 2;
    }
    CUpdateCheck check;
    return check.Run(*options);
}
