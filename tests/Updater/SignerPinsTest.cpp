#include <gtest/gtest.h>
#include <windows.h>
#include "Updater/PackageSignature.h"
#include "Updater/SignerPins.h"

namespace {

Thumbprint Filled(uint8_t byte)
{
    Thumbprint thumbprint;
    thumbprint.fill(byte);
    return thumbprint;
}

} // namespace

TEST(SignerPins, ThumbprintsAreExactlySixtyFourHexDigits)
{
    const std::wstring lower = L"ab22fc1e8cff0f2b20d10ee2d0cb304db37279fdbbbd64f6c5e1abfed83bdd65";
    std::wstring upper = lower;
    for (wchar_t& c : upper) c = towupper(c);
    const std::optional<Thumbprint> parsed = CSignerPins::ParseThumbprint(lower);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ((*parsed)[0], 0xab);
    EXPECT_EQ((*parsed)[31], 0x65);
    EXPECT_EQ(CSignerPins::ParseThumbprint(upper), parsed);

    const std::wstring refused[] = {
        L"",
        lower.substr(1),
        lower + L"0",
        L"xb22fc1e8cff0f2b20d10ee2d0cb304db37279fdbbbd64f6c5e1abfed83bdd65",
        // openssl's -fingerprint form
        L"ab:22:fc:1e:8c:ff:0f:2b:20:d1:0e:e2:d0:cb:30:4d:b3:72:79:fd:bb:bd:64:f6:c5:e1:ab:fe:d8:3b:dd:65",
    };
    for (const std::wstring& text : refused)
        EXPECT_FALSE(CSignerPins::ParseThumbprint(text).has_value()) << text.size();
}

TEST(SignerPins, OnlyAVerifiedSignatureByAPinnedSignerIsOk)
{
    const Thumbprint pinned = Filled(1), second = Filled(2), stranger = Filled(3);
    const CSignerPins pins({pinned, second});
    struct Case {
        const char* name;
        long status;
        std::optional<Thumbprint> signer;
        SignatureVerdict verdict;
    } cases[] = {
        {"pinned signer", ERROR_SUCCESS, pinned, SignatureVerdict::Ok},
        {"second pinned signer", ERROR_SUCCESS, second, SignatureVerdict::Ok},
        {"signed by anybody else", ERROR_SUCCESS, stranger, SignatureVerdict::OtherSigner},
        {"verified but no signer read", ERROR_SUCCESS, std::nullopt, SignatureVerdict::Bad},
        {"no signature", TRUST_E_NOSIGNATURE, std::nullopt, SignatureVerdict::Unsigned},
        {"not a signable file", TRUST_E_SUBJECT_FORM_UNKNOWN, std::nullopt, SignatureVerdict::Unsigned},
        {"changed after signing", TRUST_E_BAD_DIGEST, pinned, SignatureVerdict::Bad},
        {"untrusted root", CERT_E_UNTRUSTEDROOT, pinned, SignatureVerdict::Bad},
        {"expired", CERT_E_EXPIRED, pinned, SignatureVerdict::Bad},
        {"check could not run", HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND), std::nullopt, SignatureVerdict::Bad},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pins.Judge(c.status, c.signer), c.verdict) << c.name;
        EXPECT_EQ(CSignerPins::Allows(c.verdict), c.verdict == SignatureVerdict::Ok) << c.name;
    }
    // No pins: nothing is judged, whatever the file.
    EXPECT_EQ(CSignerPins().Judge(TRUST_E_NOSIGNATURE, std::nullopt), SignatureVerdict::NotChecked);
    EXPECT_TRUE(CSignerPins::Allows(SignatureVerdict::NotChecked));
}

// Opened by name, the file judged need not be the file that runs.
TEST(PackageSignature, WithPinsAFileThatIsNotHeldIsRefusedUnread)
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const CSignerPins pins({Filled(1)});
    for (HANDLE none : {INVALID_HANDLE_VALUE, HANDLE(nullptr)})
        EXPECT_EQ(CPackageSignature::Check(pins, none, self).verdict, SignatureVerdict::Bad);
}
