#pragma once
// A socket bound to 127.0.0.1 on a free port, for the test servers.
#include <winsock2.h>
#include <cstdint>

inline SOCKET BindLoopback(int type, uint16_t& port)
{
    static const bool winsockStarted = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)winsockStarted;
    SOCKET s = socket(AF_INET, type, 0);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    int length = sizeof(addr);
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &length);
    port = ntohs(addr.sin_port);
    return s;
}
