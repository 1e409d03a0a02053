#pragma once
// The install manifest as stored in the install folder ("tvinstall.ini",
// UTF-16LE with a byte-order mark) and its values read back through
// the platform's INI reader. Values are untrusted text from the network.
// Any thread, one manifest file at a time.
#include <string>

struct ManifestValues {
    std::wstring url;
    std::wstring murl;
    std::wstring size;
    std::wstring md5;
    std::wstring sha256;
    std::wstring version;
};

class CInstallManifest {
public:
    static constexpr size_t kValueUnits = 2048;

    // The manifest as served (UTF-8, a leading byte-order mark skipped) as
    // the text to store.
    static std::wstring Decode(const std::string& body);
    static std::wstring StoredPath(const std::wstring& installFolder);
    // Creates or truncates the stored file; a failure leaves whatever the
    // folder held, so Read may find an earlier manifest.
    static void Store(const std::wstring& installFolder, const std::wstring& text);
    static ManifestValues Read(const std::wstring& installFolder);

    // The expected size: decimal digits after an optional sign, to the first
    // other character. A negative or missing size means "not known" (0).
    static int64_t ExpectedSize(const std::wstring& size);
    // The version as it may appear in a file name: letters, digits, ".", "-"
    // and "_" kept, anything else becomes "_", at most 64 characters; so the
    // temporary file can never leave the install folder.
    static std::wstring FileNameSafeVersion(const std::wstring& version);
};
