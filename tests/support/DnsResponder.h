#pragma once
// A DNS responder on a free UDP port of 127.0.0.1, run on a thread of the
// test process. Each test scripts the reply to every query (or silence) and
// reads back the queries it got. Replies are built with the helpers below.
#include <winsock2.h>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "Http/DNSThread.h"

class DnsResponder {
public:
    using Bytes = std::vector<uint8_t>;
    using Handler = std::function<Bytes(const Bytes& query)>; // empty reply: stay silent

    explicit DnsResponder(Handler handler);
    ~DnsResponder();
    DnsResponder(const DnsResponder&) = delete;
    DnsResponder& operator=(const DnsResponder&) = delete;

    DnsResolver Resolver() const { return {"127.0.0.1", m_port}; }
    std::vector<Bytes> Queries();
    // The sender of the query being handled (valid inside the handler), and a
    // datagram sent from this responder's port: what a forger would use.
    sockaddr_in Peer() const { return m_peer; }
    void SendTo(const Bytes& datagram, const sockaddr_in& to);

    // A UDP port on loopback where nothing listens.
    static DnsResolver DeadResolver();

    // Reply to query: header with rcode and the answers, the question copied.
    // Answers: "A 1.2.3.4" or "CNAME name"; owner names point at the question.
    static Bytes Reply(const Bytes& query, int rcode, const std::vector<std::string>& answers,
                       uint16_t extraFlags = 0x0080);

private:
    void Loop();

    Handler m_handler;
    SOCKET m_socket = INVALID_SOCKET;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::vector<Bytes> m_queries;
    sockaddr_in m_peer = {};
    std::thread m_thread;
};
