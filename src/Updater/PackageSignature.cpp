#include "PackageSignature.h"
#include <wintrust.h>
#include "Runtime/SystemLibrary.h"

namespace {

using WinVerifyTrustFn = LONG(WINAPI*)(HWND, GUID*, LPVOID);
using ProvDataFn = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
using ProvSignerFn = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);
using HashCertificateFn = BOOL(WINAPI*)(LPCWSTR, DWORD, void*, const BYTE*, DWORD, BYTE*, DWORD*);

// WINTRUST_ACTION_GENERIC_VERIFY_V2, spelled out: nothing of wintrust is linked.
const GUID kGenericVerifyV2 = {0x00aac56b, 0xcd44, 0x11d0, {0x8c, 0xc2, 0x00, 0xc0, 0x4f, 0xc2, 0x95, 0xee}};

// The SHA-256 of the certificate that made the first signature, from the
// state the verification left.
std::optional<Thumbprint> SignerThumbprint(HANDLE state)
{
    const auto provData = CSystemLibrary::Find<ProvDataFn>(L"wintrust.dll", "WTHelperProvDataFromStateData");
    const auto provSigner = CSystemLibrary::Find<ProvSignerFn>(L"wintrust.dll", "WTHelperGetProvSignerFromChain");
    const auto hash = CSystemLibrary::Find<HashCertificateFn>(L"crypt32.dll", "CryptHashCertificate2");
    if (!provData || !provSigner || !hash) return std::nullopt;
    CRYPT_PROVIDER_DATA* data = provData(state);
    CRYPT_PROVIDER_SGNR* signer = data ? provSigner(data, 0, FALSE, 0) : nullptr;
    if (!signer || signer->csCertChain == 0 || !signer->pasCertChain[0].pCert) return std::nullopt;
    const CERT_CONTEXT* certificate = signer->pasCertChain[0].pCert;
    Thumbprint thumbprint{};
    DWORD size = static_cast<DWORD>(thumbprint.size());
    if (!hash(L"SHA256", 0, nullptr, certificate->pbCertEncoded, certificate->cbCertEncoded, thumbprint.data(),
              &size) ||
        size != thumbprint.size())
        return std::nullopt;
    return thumbprint;
}

} // namespace

SignatureResult CPackageSignature::Check(const CSignerPins& pins, HANDLE file, const std::wstring& path)
{
    if (pins.Empty()) return {SignatureVerdict::NotChecked, ERROR_SUCCESS};
    // Without the held handle the platform would open the file by name, and
    // the bytes judged need not be the bytes that run.
    if (file == nullptr || file == INVALID_HANDLE_VALUE) {
        const long status = HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
        return {SignatureVerdict::Bad, status};
    }
    // wintrust loads imagehlp when first asked, and Wine resolves that load,
    // and imagehlp's own dbghelp, beside the program: taken from System32
    // first, both are found loaded.
    CSystemLibrary::Load(L"imagehlp.dll");
    const auto verify = CSystemLibrary::Find<WinVerifyTrustFn>(L"wintrust.dll", "WinVerifyTrust");
    if (!verify) {
        const long status = HRESULT_FROM_WIN32(GetLastError());
        return {pins.Judge(status, std::nullopt), status};
    }
    WINTRUST_FILE_INFO info = {sizeof(info), path.c_str(), file, nullptr};
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &info;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    // An offline machine must be able to install: nothing is fetched.
    data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
    GUID action = kGenericVerifyV2;
    const HWND noUser = static_cast<HWND>(INVALID_HANDLE_VALUE);
    const long status = verify(noUser, &action, &data);
    const std::optional<Thumbprint> signer =
        status == ERROR_SUCCESS ? SignerThumbprint(data.hWVTStateData) : std::nullopt;
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    verify(noUser, &action, &data);
    return {pins.Judge(status, signer), status};
}
