// Guards the rule that nothing a test does can leave the machine: the harness
// runs every test inside a network namespace that has only loopback.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <gtest/gtest.h>
#include <vector>

TEST(NetworkIsolation, OnlyLoopbackAndExternalNamesFailAtOnce)
{
    ULONG size = 16384;
    std::vector<unsigned char> buffer(size);
    auto* adapters = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    ASSERT_EQ(GetAdaptersAddresses(AF_UNSPEC, GAA_FLAG_SKIP_DNS_SERVER, nullptr, adapters, &size), 0u);
    for (auto* a = adapters; a; a = a->Next) {
        for (auto* u = a->FirstUnicastAddress; u; u = u->Next) {
            auto* sa = u->Address.lpSockaddr;
            if (sa->sa_family == AF_INET) {
                auto* in = reinterpret_cast<sockaddr_in*>(sa);
                ASSERT_EQ(in->sin_addr.S_un.S_un_b.s_b1, 127) << "a non-loopback IPv4 address is up";
            } else if (sa->sa_family == AF_INET6) {
                auto* in6 = reinterpret_cast<sockaddr_in6*>(sa);
                ASSERT_TRUE(IN6_IS_ADDR_LOOPBACK(&in6->sin6_addr) || IN6_IS_ADDR_LINKLOCAL(&in6->sin6_addr))
                    << "a routable IPv6 address is up";
            }
        }
    }

    WSADATA wsa;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa), 0);
    addrinfo* result = nullptr;
    DWORD start = GetTickCount();
    int rc = getaddrinfo("isolation-check.tarvo.example", "80", nullptr, &result);
    DWORD took = GetTickCount() - start;
    if (result)
        freeaddrinfo(result);
    WSACleanup();
    EXPECT_NE(rc, 0) << "an external name resolved: the harness is not isolated";
    EXPECT_LT(took, 5000u) << "resolution should fail at once, not wait for a resolver";
}
