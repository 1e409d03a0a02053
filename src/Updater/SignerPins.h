#pragma once
// The signers a build trusts with its package, as SHA-256 thumbprints of
// their certificates' DER bytes, and the verdict on a package from what the
// platform's signature check answered. No pins: nothing is checked. Plain
// values; any thread.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

enum class SignatureVerdict { NotChecked, Ok, Unsigned, Bad, OtherSigner };

using Thumbprint = std::array<uint8_t, 32>;

class CSignerPins {
public:
    explicit CSignerPins(std::vector<Thumbprint> pins = {}) : m_pins(std::move(pins)) {}

    // The pins this program was built with (TARVO_PACKAGE_SIGNERS); defined
    // in the source CMake generates for each program from that variable.
    static CSignerPins Configured();
    // Exactly 64 hexadecimal digits, either case.
    static std::optional<Thumbprint> ParseThumbprint(std::wstring_view text);

    bool Empty() const { return m_pins.empty(); }
    // status: what WinVerifyTrust answered; signer: the thumbprint of the
    // certificate that signed, known only when the signature verified.
    SignatureVerdict Judge(long status, const std::optional<Thumbprint>& signer) const;

    // Whether a package with this verdict may run: signed by a pinned signer,
    // or no pins at all.
    static bool Allows(SignatureVerdict verdict)
    {
        return verdict == SignatureVerdict::Ok || verdict == SignatureVerdict::NotChecked;
    }
    // "ok", "unsigned", "bad", "other-signer" or "not-checked".
    static const char* Name(SignatureVerdict verdict);

private:
    std::vector<Thumbprint> m_pins;
};
