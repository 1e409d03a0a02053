#pragma once
// The install manifest: its values, read from the text as fetched by
// the rules of the platform's INI reader, and its record in the install
// folder ("tvinstall.ini", UTF-16LE with a byte-order mark). The values never
// come back from the record: any account may have left a file of that name,
// and when the record cannot be written an older one would speak instead.
// Values are untrusted text from the network. Any thread.
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
    // Creates or truncates the record; false when it could not be written.
    static bool Store(const std::wstring& installFolder, const std::wstring& text);
    // The [Install] section's values as the platform's private-profile
    // reader gives them: lines end at CR or LF, the first section of that
    // name, the first of each key, names without regard to case, white space
    // around names and values dropped, one pair of matching quotes taken off
    // a value, each value cut to kValueUnits - 1 characters.
    static ManifestValues Parse(const std::wstring& text);

    // The expected size: decimal digits after an optional sign, to the first
    // other character. A negative or missing size means "not known" (0).
    static int64_t ExpectedSize(const std::wstring& size);
    // The version as it may appear in a file name: letters, digits, ".", "-"
    // and "_" kept, anything else becomes "_", at most 64 characters; so the
    // temporary file can never leave the install folder.
    static std::wstring FileNameSafeVersion(const std::wstring& version);
};
