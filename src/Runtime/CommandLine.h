#pragma once
// Builds command-line arguments that the standard parser (the C runtime's and
// CommandLineToArgvW's rules) reads back exactly. A folder such as "E:\"
// placed between quotes as it is would end in \", which that parser reads as
// an escaped quote: the argument would run on into the next one. Pure; any
// thread.
#include <string>

class CCommandLine {
public:
    // The argument between double quotes, always: backslashes that precede
    // a quote or the closing quote are doubled and quotes are escaped, so
    // the parser yields the argument unchanged.
    static std::wstring Quoted(const std::wstring& argument);
};
