#include "DNSThread.h"
#include <winsock2.h>
#include <ntsecapi.h>
#include <mutex>
#include "DnsMessage.h"
#include "Runtime/MainThreadDispatcher.h"

namespace {

constexpr DWORD kResolverLimitMs = 1500;

std::mutex& ResolverLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<DnsResolver>& ResolverList()
{
    static std::vector<DnsResolver> list = CDNSThread::DefaultResolvers();
    return list;
}

// Winsock, the UDP socket and its read event for one lookup, all released
// when the lookup ends.
class LookupSocket {
public:
    LookupSocket()
    {
        WSADATA data;
        m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        if (!m_started)
            return;
        m_socket = socket(AF_INET, SOCK_DGRAM, 0);
        m_event = WSACreateEvent();
        m_ready = m_socket != INVALID_SOCKET && m_event != WSA_INVALID_EVENT &&
                  WSAEventSelect(m_socket, m_event, FD_READ) == 0;
    }
    ~LookupSocket()
    {
        if (m_socket != INVALID_SOCKET)
            closesocket(m_socket);
        if (m_event != WSA_INVALID_EVENT)
            WSACloseEvent(m_event);
        if (m_started)
            WSACleanup();
    }
    LookupSocket(const LookupSocket&) = delete;
    LookupSocket& operator=(const LookupSocket&) = delete;

    bool Ready() const { return m_ready; }
    SOCKET Socket() const { return m_socket; }
    WSAEVENT Event() const { return m_event; }

private:
    bool m_started = false;
    bool m_ready = false;
    SOCKET m_socket = INVALID_SOCKET;
    WSAEVENT m_event = WSA_INVALID_EVENT;
};

// Waits up to 100 ms for one datagram; its length, or SOCKET_ERROR when none
// came.
int Receive(SOCKET s, WSAEVENT event, uint8_t (&buffer)[1024], sockaddr_in& from)
{
    if (WSAWaitForMultipleEvents(1, &event, FALSE, 100, FALSE) != WSA_WAIT_EVENT_0)
        return SOCKET_ERROR;
    WSANETWORKEVENTS events;
    WSAEnumNetworkEvents(s, event, &events);
    if (!(events.lNetworkEvents & FD_READ))
        return SOCKET_ERROR;
    int fromLength = sizeof(from);
    return recvfrom(s, reinterpret_cast<char*>(buffer), sizeof(buffer), 0, reinterpret_cast<sockaddr*>(&from),
                    &fromLength);
}

// Anyone who can send us a datagram could otherwise answer for the
// resolver: only a reply from the address and port asked counts.
bool SameSender(const sockaddr_in& from, const sockaddr_in& to)
{
    return from.sin_family == AF_INET && from.sin_addr.s_addr == to.sin_addr.s_addr && from.sin_port == to.sin_port;
}

// Unpredictable, so that a forger who cannot see the query cannot match it.
uint16_t NewQueryId()
{
    uint16_t id = static_cast<uint16_t>(GetTickCount());
    RtlGenRandom(&id, sizeof(id));
    return id;
}

} // namespace

CDNSThread::~CDNSThread() { StopThread(INFINITE); }

std::vector<DnsResolver> CDNSThread::DefaultResolvers()
{
    return {{"114.114.114.114", 53}, {"223.5.5.5", 53}, {"8.8.8.8", 53}, {"208.67.222.222", 53}};
}

void CDNSThread::SetResolvers(const std::vector<DnsResolver>& resolvers)
{
    std::lock_guard<std::mutex> lock(ResolverLock());
    ResolverList() = resolvers;
}

std::vector<DnsResolver> CDNSThread::Resolvers()
{
    std::lock_guard<std::mutex> lock(ResolverLock());
    return ResolverList();
}

void CDNSThread::Run()
{
    std::vector<std::string> addresses;
    bool answered = false;
    {
        LookupSocket lookup;
        for (const DnsResolver& resolver : Resolvers()) {
            if (StopRequested() || answered)
                break;
            answered = lookup.Ready() && Query(lookup.Socket(), lookup.Event(), resolver, addresses);
        }
    }
    if (StopRequested() || !m_callback)
        return;
    CMainThreadDispatcher::Post([callback = m_callback, code = answered ? 0 : -1, host = m_host,
                                 list = answered ? CDnsMessage::Join(addresses) : std::string()] {
        callback(code, host, list);
    });
}

// Sends one query under a fresh random identifier and waits up to 1.5 s, in
// 100 ms steps that also watch the stop flag, for a reply that answers it.
bool CDNSThread::Query(uintptr_t socketValue, void* event, const DnsResolver& resolver,
                       std::vector<std::string>& addresses)
{
    auto s = static_cast<SOCKET>(socketValue);
    std::vector<uint8_t> query = CDnsMessage::EncodeQuery(m_host, NewQueryId());
    if (query.empty())
        return false;
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = inet_addr(resolver.address.c_str());
    to.sin_port = htons(resolver.port);
    if (sendto(s, reinterpret_cast<const char*>(query.data()), static_cast<int>(query.size()), 0,
               reinterpret_cast<sockaddr*>(&to), sizeof(to)) == SOCKET_ERROR)
        return false;
    DWORD start = GetTickCount();
    while (!StopRequested()) {
        uint8_t reply[1024];
        sockaddr_in from = {};
        int got = Receive(s, event, reply, from);
        if (got > 0 && SameSender(from, to) && CDnsMessage::AcceptReply(reply, static_cast<size_t>(got), query))
            return CDnsMessage::ParseAnswers(reply, static_cast<size_t>(got), addresses);
        if (GetTickCount() - start > kResolverLimitMs)
            return false;
    }
    return false;
}
