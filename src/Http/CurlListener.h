#pragma once
// Receives the events of a transfer. Every call arrives on the main thread,
// through a main-thread task that holds its own reference to the transfer.
#include <cstdint>
#include <curl/curl.h>
#include "Runtime/RefPtr.h"

class CCurlBase;

class CurlListener {
public:
    virtual void OnCurlDone(const CRefPtr<CCurlBase>& transfer, CURLcode code) = 0;
    virtual void OnCurlRecvProgress(const CRefPtr<CCurlBase>& transfer, uint32_t bytes) = 0;
    virtual void OnCurlSendProgress(const CRefPtr<CCurlBase>& transfer, uint32_t bytes) = 0;
    virtual void OnCurlResponse(const CRefPtr<CCurlBase>& transfer, int32_t status) = 0;
    virtual void OnCurlRemoved(const CRefPtr<CCurlBase>& transfer, int32_t unused) = 0;
    virtual void OnCurlStarted(const CRefPtr<CCurlBase>& transfer, int32_t unused) = 0;

protected:
    ~CurlListener() = default;
};
