#include "InstallManifest.h"
#include <windows.h>
#include <cwchar>
#include "Runtime/FileEx.h"
#include "Runtime/StringConvert.h"
#include "app/CommonUtils.h"

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

void CInstallManifest::Store(const std::wstring& installFolder, const std::wstring& text)
{
    CFileEx file;
    if (!file.Open(StoredPath(installFolder).c_str(), 0x90A1, nullptr))
        return;
    try {
        file.Seek(0, 0);
        static const unsigned char bom[] = {0xFF, 0xFE};
        file.Write(bom, 2);
        file.Write(text.data(), static_cast<uint32_t>(text.size() * sizeof(wchar_t)));
        file.Flush();
        file.Close();
    } catch (const CFileExException&) {
        file.Abort();
    }
}

ManifestValues CInstallManifest::Read(const std::wstring& installFolder)
{
    std::wstring path = StoredPath(installFolder);
    auto value = [&path](const wchar_t* key) {
        wchar_t buffer[kValueUnits] = {};
        GetPrivateProfileStringW(L"Install", key, L"", buffer, kValueUnits, path.c_str());
        return std::wstring(buffer);
    };
    ManifestValues values;
    values.url = value(L"Url");
    values.murl = value(L"murl");
    values.size = value(L"Size");
    values.md5 = value(L"Md5");
    values.sha256 = value(L"Sha256");
    values.version = value(L"Version");
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
