#pragma once
// The (error type, error code) pair every HTTP task and the update module
// report; (0, 0) is success. The type names are the keys of a task's result
// record.
#include <cstdint>

enum ErrorType : int32_t {
    kErrorOk = 0,
    kErrorSys = 1,
    kErrorCrt = 2,
    kErrorUser = 3,
    kErrorHttp = 4,
    kErrorCurl = 5,
};

// Codes of type kErrorUser, made by the engine itself.
enum UserErrorCode : int32_t {
    kUserFileNotOpen = 2001,    // a write to a download file that is not open
    kUserLengthMismatch = 2007, // the announced length does not fit the expected size
    kUserFileShort = 2008,      // the finished file is shorter than expected; kept for resuming
    kUserFileLong = 2009,       // the finished file is longer than expected; discarded
    kUserBodyTooLarge = 2010,   // an in-memory body passed its limit
    kUserHeaderTooLarge = 2011, // the header lines of a transfer passed their limit
    kUserNoDigest = 2012,       // the manifest names no digest, and this build requires one
    kUserPackageNotMoved = -1,  // the finished download could not take the package installer's name
};

// Codes of type kErrorSys that the engine makes itself, beside the
// platform's own error numbers.
enum SysErrorCode : int32_t {
    kSysFileNotOpened = 2020, // the download file could not be opened
};

inline const wchar_t* ErrorTypeKey(int32_t type)
{
    static const wchar_t* const keys[] = {L"ok", L"sys", L"crt", L"user", L"http", L"curl"};
    return (type >= 0 && type <= 5) ? keys[type] : L"ok";
}

struct ErrorPair {
    int32_t type = kErrorOk; // an ErrorType
    int32_t code = 0;
    bool operator==(const ErrorPair&) const = default;
    bool Ok() const { return type == kErrorOk && code == 0; }
};
