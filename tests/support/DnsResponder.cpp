#include "DnsResponder.h"
#include <ws2tcpip.h>
#include <sstream>
#include "Http/DnsMessage.h"
#include "LoopbackSocket.h"

namespace {

void Put16(DnsResponder::Bytes& out, unsigned v)
{
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v & 0xFF));
}

} // namespace

DnsResponder::DnsResponder(Handler handler) : m_handler(std::move(handler))
{
    m_socket = BindLoopback(SOCK_DGRAM, m_port);
    m_thread = std::thread(&DnsResponder::Loop, this);
}

DnsResponder::~DnsResponder()
{
    m_stop = true;
    m_thread.join();
    closesocket(m_socket);
}

DnsResolver DnsResponder::DeadResolver()
{
    uint16_t port = 0;
    closesocket(BindLoopback(SOCK_DGRAM, port));
    return {"127.0.0.1", port};
}

std::vector<DnsResponder::Bytes> DnsResponder::Queries()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_queries;
}

void DnsResponder::Loop()
{
    while (!m_stop) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(m_socket, &set);
        timeval timeout = {0, 20000};
        if (select(0, &set, nullptr, nullptr, &timeout) <= 0)
            continue;
        uint8_t buffer[2048];
        sockaddr_in from = {};
        int fromLength = sizeof(from);
        int got = recvfrom(m_socket, reinterpret_cast<char*>(buffer), sizeof(buffer), 0,
                           reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (got <= 0)
            continue;
        Bytes query(buffer, buffer + got);
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_queries.push_back(query);
        }
        m_peer = from;
        Bytes reply = m_handler(query);
        if (!reply.empty())
            SendTo(reply, from);
    }
}

void DnsResponder::SendTo(const Bytes& datagram, const sockaddr_in& to)
{
    sendto(m_socket, reinterpret_cast<const char*>(datagram.data()), static_cast<int>(datagram.size()), 0,
           reinterpret_cast<const sockaddr*>(&to), sizeof(to));
}

DnsResponder::Bytes DnsResponder::Reply(const Bytes& query, int rcode, const std::vector<std::string>& answers,
                                        uint16_t extraFlags)
{
    Bytes out(query.begin(), query.begin() + 2);
    Put16(out, 0x8100u | extraFlags | static_cast<unsigned>(rcode));
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(answers.size()));
    Put16(out, 0);
    Put16(out, 0);
    out.insert(out.end(), query.begin() + 12, query.end());
    for (const std::string& answer : answers) {
        std::istringstream in(answer);
        std::string type, value;
        in >> type >> value;
        Put16(out, 0xC00C); // owner name: the question's
        Put16(out, type == "A" ? 1 : 5);
        Put16(out, 1);
        Put16(out, 0);
        Put16(out, 60);
        Bytes data;
        if (type == "A") {
            unsigned a, b, c, d;
            sscanf(value.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
            data = {static_cast<uint8_t>(a), static_cast<uint8_t>(b), static_cast<uint8_t>(c), static_cast<uint8_t>(d)};
        } else {
            CDnsMessage::EncodeName(value, data);
        }
        Put16(out, static_cast<unsigned>(data.size()));
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}
