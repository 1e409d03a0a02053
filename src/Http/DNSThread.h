#pragma once
// One A-record lookup over UDP on a thread of its own, against a list of
// resolvers tried in order, each given 1.5 s. A reply counts only when it
// comes from the asked resolver's address and port, carries that query's
// random identifier and repeats its question. The owner (main thread) sets
// the callback and host name only while the thread is stopped; the
// result arrives on the main thread through a main-thread task. A stop
// request ends the lookup within about 100 ms and without a result.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "Runtime/SimpleThread.h"

using SpareDnsCallback = std::function<void(int32_t code, const std::string& host, const std::string& ipList)>;

struct DnsResolver {
    std::string address; // IPv4 literal
    uint16_t port = 53;
};

class CDNSThread : public CSimpleThread {
public:
    ~CDNSThread() override;

    void SetCallback(SpareDnsCallback callback) { m_callback = std::move(callback); }
    void SetHostName(const std::string& host) { m_host = host; }
    void Run() override;

    // The resolvers every lookup asks, process-wide. The release default is
    // the public list; tests and the update runner (--dns) replace it with
    // loopback responders.
    static void SetResolvers(const std::vector<DnsResolver>& resolvers);
    static std::vector<DnsResolver> Resolvers();
    static std::vector<DnsResolver> DefaultResolvers();

private:
    bool Query(uintptr_t socket, void* event, const DnsResolver& resolver, std::vector<std::string>& addresses);

    SpareDnsCallback m_callback;
    std::string m_host;
};
