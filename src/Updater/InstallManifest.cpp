#include "InstallManifest.h"
#include <windows.h>
#include <cwchar>
#include <cwctype>
#include <iterator>
#include <optional>
#include <string_view>
#include "Runtime/FileEx.h"
#include "Runtime/StringConvert.h"

// Editors often save UTF-8 with a byte-order mark; left in, it would hide the
// first section header from the INI reader.
std::wstring CInstallManifest::Decode(const std::string& body)
{
    static const std::string mark = "\xEF\xBB\xBF";
    return Utf8ToWide(body.rfind(mark, 0) == 0 ? body.substr(mark.size()) : body);
}

std::wstring CInstallManifest::StoredPath(const std::wstring& installFolder)
{
    wchar_t path[kFormatBufferUnits];
    FormatString(path, L"%s\\%s", installFolder.c_str(), L"tvinstall.ini");
    return path;
}

bool CInstallManifest::Store(const std::wstring& installFolder, const std::wstring& text)
{
    CFileEx file;
    if (!file.Open(StoredPath(installFolder).c_str(),
                   CFileEx::kWrite | CFileEx::kShareDenyWrite | CFileEx::kNoInherit | CFileEx::kCreate |
                       CFileEx::kUntranslated,
                   nullptr))
        return false;
    try {
        file.Seek(0, 0);
        static const unsigned char bom[] = {0xFF, 0xFE};
        file.Write(bom, 2);
        file.Write(text.data(), static_cast<uint32_t>(text.size() * sizeof(wchar_t)));
        file.Flush();
        file.Close();
        return true;
    } catch (const CFileExException&) {
        file.Abort();
        return false;
    }
}

namespace {

// The reader's white space includes the old end-of-file mark.
bool IsProfileSpace(wchar_t c) { return std::iswspace(c) || c == 0x1A; }

std::wstring_view TrimProfileSpace(std::wstring_view text)
{
    while (!text.empty() && IsProfileSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsProfileSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// The reader keeps names and values as C strings: each ends at a NUL, after
// the white space around it was dropped.
std::wstring_view ProfileString(std::wstring_view text)
{
    text = TrimProfileSpace(text);
    return text.substr(0, text.find(L'\0'));
}

bool SameName(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && _wcsnicmp(a.data(), b.data(), a.size()) == 0;
}

// The section name of a "[...]" line (to its last "]", white space around it
// not counting), or nothing: a line without the closing bracket is read as a
// key.
std::optional<std::wstring_view> SectionName(std::wstring_view line)
{
    const size_t close = line.rfind(L']');
    if (line.front() != L'[' || close == std::wstring_view::npos)
        return std::nullopt;
    return line.substr(1, close - 1);
}

std::wstring ProfileValue(std::wstring_view value)
{
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::wstring(value.substr(0, CInstallManifest::kValueUnits - 1));
}

struct ManifestKey {
    const wchar_t* name;
    std::wstring ManifestValues::*value;
};
constexpr ManifestKey kKeys[] = {{L"Url", &ManifestValues::url},
                                 {L"murl", &ManifestValues::murl},
                                 {L"Size", &ManifestValues::size},
                                 {L"Md5", &ManifestValues::md5},
                                 {L"Sha256", &ManifestValues::sha256},
                                 {L"Version", &ManifestValues::version}};

} // namespace

ManifestValues CInstallManifest::Parse(const std::wstring& text)
{
    ManifestValues values;
    bool found[std::size(kKeys)] = {};
    enum { kBefore, kInside, kAfter } section = kBefore;
    for (size_t start = 0; start < text.size() && section != kAfter;) {
        size_t end = text.find_first_of(L"\r\n", start);
        end = end == std::wstring::npos ? text.size() : end;
        const std::wstring_view line = TrimProfileSpace(std::wstring_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty())
            continue;
        if (std::optional<std::wstring_view> name = SectionName(line)) {
            if (section == kInside || SameName(ProfileString(*name), L"Install"))
                section = section == kInside ? kAfter : kInside;
            continue;
        }
        if (section != kInside)
            continue;
        const size_t equals = line.find(L'=');
        const std::wstring_view key = ProfileString(line.substr(0, equals));
        const std::wstring_view value =
            equals == std::wstring_view::npos ? std::wstring_view() : ProfileString(line.substr(equals + 1));
        for (size_t i = 0; i < std::size(kKeys); ++i) {
            if (!found[i] && SameName(key, kKeys[i].name)) {
                found[i] = true;
                values.*kKeys[i].value = ProfileValue(value);
            }
        }
    }
    return values;
}

int64_t CInstallManifest::ExpectedSize(const std::wstring& size)
{
    long long value = wcstoll(size.c_str(), nullptr, 10);
    return value < 0 ? 0 : value;
}

std::wstring CInstallManifest::FileNameSafeVersion(const std::wstring& version)
{
    std::wstring safe = version.substr(0, 64);
    for (wchar_t& c : safe) {
        bool plain = (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'.' ||
                     c == L'-' || c == L'_';
        if (!plain)
            c = L'_';
    }
    return safe;
}
