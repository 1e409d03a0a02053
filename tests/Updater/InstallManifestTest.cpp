#include <gtest/gtest.h>
#include <fstream>
#include "Updater/InstallManifest.h"
#include "support/TempFolder.h"

namespace {

std::string StoredBytes(const std::wstring& folder)
{
    std::ifstream in(CInstallManifest::StoredPath(folder).c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

ManifestValues StoreAndParse(const TempFolder& folder, const std::wstring& body)
{
    EXPECT_TRUE(CInstallManifest::Store(folder.Path(), body));
    return CInstallManifest::Parse(body);
}

// The platform's own reader over the stored record: the rules Parse keeps.
std::wstring PlatformValue(const TempFolder& folder, const wchar_t* key)
{
    wchar_t buffer[CInstallManifest::kValueUnits] = {};
    GetPrivateProfileStringW(L"Install", key, L"", buffer, CInstallManifest::kValueUnits,
                             CInstallManifest::StoredPath(folder.Path()).c_str());
    return buffer;
}

} // namespace

TEST(InstallManifest, StoredAsUtf16WithByteOrderMark)
{
    TempFolder folder;
    ManifestValues empty = StoreAndParse(folder, L"");
    EXPECT_EQ(StoredBytes(folder.Path()), std::string("\xFF\xFE", 2)) << "an empty body stores just the mark";
    EXPECT_EQ(empty.url, L"");
    EXPECT_EQ(empty.version, L"");

    std::wstring body = L"[Install]\r\nUrl=http://pkg.tarvo.test/安装.exe\r\nSize=123";
    ManifestValues values = StoreAndParse(folder, body);
    std::string bytes = StoredBytes(folder.Path());
    ASSERT_EQ(bytes.size(), 2 + body.size() * 2) << "rewritten, truncated, no terminator or line end added";
    EXPECT_EQ(0, memcmp(bytes.data() + 2, body.data(), body.size() * 2));
    EXPECT_EQ(values.url, L"http://pkg.tarvo.test/安装.exe");
    EXPECT_EQ(values.size, L"123");
    EXPECT_EQ(values.murl, L"");
    EXPECT_EQ(values.md5, L"");
    EXPECT_EQ(values.version, L"");
}

TEST(InstallManifest, BodyDecodedFromUtf8WithOrWithoutByteOrderMark)
{
    TempFolder folder;
    const std::string body = "[Install]\r\nUrl=http://pkg.tarvo.test/\xE5\xAE\x89\xE8\xA3\x85.exe\r\nVersion=2.4.1\r\n";
    for (const std::string& served : {body, "\xEF\xBB\xBF" + body}) {
        ManifestValues values = StoreAndParse(folder, CInstallManifest::Decode(served));
        EXPECT_EQ(values.url, L"http://pkg.tarvo.test/安装.exe") << served.size();
        EXPECT_EQ(values.version, L"2.4.1") << served.size();
    }
    EXPECT_EQ(CInstallManifest::Decode("\xEF\xBB\xBF\xEF\xBB\xBF"), L"\xFEFF") << "only the leading mark goes";
}

TEST(InstallManifest, OtherSectionsCaseAndLongValues)
{
    TempFolder folder;
    std::wstring longValue(3000, L'v');
    ManifestValues values = StoreAndParse(folder, L"[Other]\nUrl=wrong\nVersion=0\n[install]\nURL=http://a.test/p\n"
                                                  L"MURL=http://m1.test/p;http://m2.test/p\nsize=12abc\nMD5=ABCDEF\n"
                                                  L"sha256=F00D\n"
                                                  L"version=" +
                                                      longValue + L"\n[Later]\nMd5=other\n");
    EXPECT_EQ(values.url, L"http://a.test/p");
    EXPECT_EQ(values.murl, L"http://m1.test/p;http://m2.test/p");
    EXPECT_EQ(values.size, L"12abc");
    EXPECT_EQ(values.md5, L"ABCDEF");
    EXPECT_EQ(values.sha256, L"F00D");
    EXPECT_EQ(values.version, longValue.substr(0, 2047)) << "values are cut at 2047 characters";
}

TEST(InstallManifest, ReadByThePlatformReadersRules)
{
    using namespace std::string_literals;
    const std::wstring texts[] = {
        L"[Install]\r\n  Url = \"http://a.test/p\" \r\nMd5='abc'\r\nSize=\"12\r\nVersion=\"\"\r\n",
        L"[ Install ]\nUrl=spaced\n[Install]\nUrl=first\nUrl=second\n[Install]\nMd5=later\n",
        L"[Install\nUrl=no-bracket\n[Install]x]\nUrl=last-bracket\n",
        L"Url=before\n;[Install]\n[install]\n;Url=comment\nUrl\nUrl=after\n\tMd5\t=\tab cd\t\n=x\n",
        L"[Install]\rUrl=carriage\n\x1a[Install]\x1a\nmurl= \u3000a;b\u3000\nVersion='",
        L"[Other]\nSize=1\n[INSTALL]\nsize=2\nVersion=" + std::wstring(3000, L'v'),
        L"[Install\0x]\nUrl=a \0b\nMd5\0x=1\nmurl=\"c\0\"\n"s,
    };
    const wchar_t* keys[] = {L"Url", L"murl", L"Size", L"Md5", L"Version"};
    TempFolder folder;
    for (const std::wstring& text : texts) {
        ManifestValues values = StoreAndParse(folder, text);
        const std::wstring parsed[] = {values.url, values.murl, values.size, values.md5, values.version};
        for (size_t i = 0; i < std::size(keys); ++i)
            EXPECT_EQ(parsed[i], PlatformValue(folder, keys[i])) << keys[i] << " in case " << (&text - texts);
    }
}

TEST(InstallManifest, ARecordThatCannotBeWrittenIsReported)
{
    TempFolder folder;
    StoreAndParse(folder, L"[Install]\nVersion=1.0\n");
    std::wstring path = CInstallManifest::StoredPath(folder.Path());
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CInstallManifest::Store(folder.Path(), L"[Install]\nVersion=2.0\n"));
    CloseHandle(lock);
}

TEST(InstallManifest, SizeAndVersionFromUntrustedText)
{
    struct SizeCase {
        const wchar_t* text;
        int64_t expected;
    } sizes[] = {{L"123", 123}, {L"12abc", 12}, {L"abc", 0}, {L"", 0}, {L"-5", 0}, {L"+7", 7}, {L" 42", 42},
                 {L"99999999999999999999", INT64_MAX}};
    for (const SizeCase& c : sizes)
        EXPECT_EQ(CInstallManifest::ExpectedSize(c.text), c.expected) << std::wstring(c.text).size();

    struct VersionCase {
        std::wstring version, safe;
    } versions[] = {
        {L"2.4.1", L"2.4.1"},
        {L"1.0-beta_2", L"1.0-beta_2"},
        {L"", L""},
        {L"..\\..\\Windows\\evil", L".._.._Windows_evil"},
        {L"../../x", L".._.._x"},
        {L"C:\\x", L"C__x"},
        {L"a:b*c?d\"e<f>g|h", L"a_b_c_d_e_f_g_h"},
        {L"版本1", L"__1"},
        {std::wstring(300, L'9'), std::wstring(64, L'9')},
    };
    for (const VersionCase& c : versions)
        EXPECT_EQ(CInstallManifest::FileNameSafeVersion(c.version), c.safe);
}
