#pragma once
// The (error type, error code) pair every HTTP task and the update module
// report up to the window; (0, 0) is success. The numbers are what logs and
// message boxes show, so they never change.
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

struct ErrorPair {
    ErrorType type = kErrorOk;
    int32_t code = 0;
    bool operator==(const ErrorPair&) const = default;
    bool Ok() const { return type == kErrorOk && code == 0; }
};
