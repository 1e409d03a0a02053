#pragma once
// What the update module reports to its owner, always on the owner's window
// thread and never from inside a transfer-engine callback. The module calls
// OnDownloadProgress, OnDownloadResult and OnManifestResult; the other slots
// belong to the owner and default to nothing.
#include <cstdint>
#include <string>
#include "Runtime/ErrorPair.h"

class IGameEventListener {
public:
    virtual void OnReserved0() {}
    virtual void OnReserved1() {}
    virtual void OnDownloadProgress(uint64_t total, uint64_t completed, uint64_t speed) = 0;
    virtual void OnDownloadResult(ErrorPair error, const std::wstring& message) = 0;
    virtual void OnReserved4() {}
    virtual void OnReserved5() {}
    virtual void OnReserved6() {}
    virtual void OnReserved7() {}
    virtual void OnReserved8() {}
    virtual void OnReserved9() {}
    virtual void OnManifestResult(ErrorPair error, const std::wstring& version, const std::wstring& md5,
                                  const std::wstring& sha256) = 0;

protected:
    ~IGameEventListener() = default;
};
