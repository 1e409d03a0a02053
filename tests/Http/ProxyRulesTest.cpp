#include <gtest/gtest.h>
#include "Http/ProxyRules.h"

TEST(ProxyRules, TheProxyForEachScheme)
{
    const struct {
        const wchar_t *list, *scheme;
        const char* proxy;
    } cases[] = {
        {L"127.0.0.5:3128", L"http", "http://127.0.0.5:3128"},
        {L"127.0.0.5:3128", L"https", "http://127.0.0.5:3128"},
        {L"http://proxy.test:8080", L"https", "http://proxy.test:8080"},
        {L"http=h.test:1;https=s.test:2", L"https", "http://s.test:2"},
        {L"HTTP=h.test:1 https=s.test:2", L"http", "http://h.test:1"},
        {L"ftp=f.test:21", L"http", ""},
        {L"any.test:9;https=s.test:2", L"https", "http://s.test:2"},
        {L"proxy.corp", L"https", "http://proxy.corp:80"},
        {L"http://[::1]", L"http", "http://[::1]:80"},
        {L"", L"http", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CProxyRules::ProxyFor(c.list, c.scheme), c.proxy) << c.list << L" " << c.scheme;
}

TEST(ProxyRules, BypassListAndAddresses)
{
    const struct {
        const wchar_t *bypass, *host;
        bool direct;
    } cases[] = {
        {L"<local>", L"intranet", true},
        {L"<local>", L"update.tarvo.test", false},
        {L"*.tarvo.test;<local>", L"Update.Tarvo.Test", true},
        {L"*.tarvo.test", L"tarvo.test", false},
        {L"bypass.tarvo.test, 10.*", L"10.1.2.3", true},
        {L"bypass.tarvo.test 10.*", L"bypass.tarvo.test", true},
        {L"bypass.tarvo.test", L"bypass.tarvo.test.evil", false},
        {L"", L"intranet", false},
    };
    for (const auto& c : cases) EXPECT_EQ(CProxyRules::Bypassed(c.bypass, c.host), c.direct) << c.bypass << L" " << c.host;
    EXPECT_EQ(CProxyRules::SchemeOf(L"HTTPS://a.test:8443/x"), L"https");
    EXPECT_EQ(CProxyRules::HostOf(L"HTTPS://a.test:8443/x"), L"a.test");
    EXPECT_EQ(CProxyRules::HostOf(L"http://a.test?q"), L"a.test");
    EXPECT_EQ(CProxyRules::HostOf(L"a.test/x"), L"");
}
