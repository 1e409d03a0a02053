#include "PeerCertificate.h"
#define SECURITY_WIN32
#include <security.h>
#include <schannel.h>
#include <wincrypt.h>

namespace {

PCCERT_CONTEXT RemoteCertificate(CURL* easy)
{
    curl_tlssessioninfo* session = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_TLS_SSL_PTR, &session) != CURLE_OK || !session ||
        session->backend != CURLSSLBACKEND_SCHANNEL || !session->internals)
        return nullptr;
    PCCERT_CONTEXT certificate = nullptr;
    if (QueryContextAttributesW(static_cast<CtxtHandle*>(session->internals), SECPKG_ATTR_REMOTE_CERT_CONTEXT,
                                &certificate) != SEC_E_OK)
        return nullptr;
    return certificate;
}

DWORD TrustError(DWORD status)
{
    if (status & CERT_TRUST_IS_UNTRUSTED_ROOT) return static_cast<DWORD>(CERT_E_UNTRUSTEDROOT);
    if (status & CERT_TRUST_IS_PARTIAL_CHAIN) return static_cast<DWORD>(CERT_E_CHAINING);
    if (status & CERT_TRUST_IS_NOT_TIME_VALID) return static_cast<DWORD>(CERT_E_EXPIRED);
    if (status & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) return static_cast<DWORD>(CERT_E_WRONG_USAGE);
    // Revocation is not asked for; any other flaw of the chain refuses it.
    const DWORD unasked = CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;
    return (status & ~unasked) ? static_cast<DWORD>(TRUST_E_FAIL) : 0;
}

DWORD ChainPolicyError(PCCERT_CONTEXT certificate, const std::wstring& host)
{
    LPSTR serverAuth = const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH);
    CERT_CHAIN_PARA chainPara = {};
    chainPara.cbSize = sizeof(chainPara);
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = &serverAuth;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0, nullptr,
                                 &chain))
        return GetLastError() ? GetLastError() : static_cast<DWORD>(CERT_E_CHAINING);
    // The policy below does not weigh every trust bit the same everywhere: a
    // chain that stops short of any root passed it here.
    if (DWORD trust = TrustError(chain->TrustStatus.dwErrorStatus)) {
        CertFreeCertificateChain(chain);
        return trust;
    }
    HTTPSPolicyCallbackData https = {};
    https.cbStruct = sizeof(https);
    https.dwAuthType = AUTHTYPE_SERVER;
    https.pwszServerName = const_cast<wchar_t*>(host.c_str());
    CERT_CHAIN_POLICY_PARA policy = {};
    policy.cbSize = sizeof(policy);
    policy.pvExtraPolicyPara = &https;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof(status);
    BOOL checked = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status);
    CertFreeCertificateChain(chain);
    return checked ? status.dwError : static_cast<DWORD>(CERT_E_CHAINING);
}

} // namespace

DWORD CPeerCertificate::Check(CURL* easy, const std::wstring& host)
{
    PCCERT_CONTEXT certificate = RemoteCertificate(easy);
    if (!certificate)
        return static_cast<DWORD>(SEC_E_NO_CREDENTIALS);
    DWORD error = ChainPolicyError(certificate, host);
    CertFreeCertificateContext(certificate);
    return error;
}

const wchar_t* CPeerCertificate::Describe(DWORD error)
{
    switch (error) {
    case 0: return L"certificate accepted";
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT): return L"certificate chain ends at an untrusted root";
    case static_cast<DWORD>(CERT_E_CHAINING): return L"certificate chain cannot be built to a trusted root";
    case static_cast<DWORD>(CERT_E_CN_NO_MATCH): return L"certificate does not name the host";
    case static_cast<DWORD>(CERT_E_EXPIRED): return L"certificate is outside its validity dates";
    case static_cast<DWORD>(CERT_E_WRONG_USAGE): return L"certificate is not for server authentication";
    case static_cast<DWORD>(SEC_E_NO_CREDENTIALS): return L"peer certificate could not be read";
    default: return L"certificate refused";
    }
}
