#include "SignerPins.h"
#include <windows.h>
#include <algorithm>
#include <iterator>

namespace {

int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

} // namespace

std::optional<Thumbprint> CSignerPins::ParseThumbprint(std::wstring_view text)
{
    Thumbprint thumbprint{};
    if (text.size() != thumbprint.size() * 2) return std::nullopt;
    for (size_t i = 0; i < thumbprint.size(); ++i) {
        const int high = HexDigit(text[2 * i]);
        const int low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        thumbprint[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return thumbprint;
}

// Only a verified signature names a signer worth comparing, and a verified
// signature says only that some certificate signed: where the platform does
// not refuse an untrusted root, anybody's. The pin decides whose.
SignatureVerdict CSignerPins::Judge(long status, const std::optional<Thumbprint>& signer) const
{
    if (m_pins.empty()) return SignatureVerdict::NotChecked;
    if (status == TRUST_E_NOSIGNATURE || status == TRUST_E_SUBJECT_FORM_UNKNOWN) return SignatureVerdict::Unsigned;
    if (status != ERROR_SUCCESS || !signer) return SignatureVerdict::Bad;
    const bool pinned = std::find(m_pins.begin(), m_pins.end(), *signer) != m_pins.end();
    return pinned ? SignatureVerdict::Ok : SignatureVerdict::OtherSigner;
}

const char* CSignerPins::Name(SignatureVerdict verdict)
{
    static const char* const kNames[] = {"not-checked", "ok", "unsigned", "bad", "other-signer"};
    static_assert(std::size(kNames) == static_cast<size_t>(SignatureVerdict::OtherSigner) + 1);
    return kNames[static_cast<size_t>(verdict)];
}
