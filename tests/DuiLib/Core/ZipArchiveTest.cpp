#include <gtest/gtest.h>
#include "DuiLib/Core/ZipArchive.h"
#include "support/ZipWriter.h"

using DuiLib::CZipArchive;

namespace {

std::wstring ReadError(const std::vector<uint8_t>& zip, const std::wstring& name)
{
    CZipArchive archive;
    if (!archive.Open(zip.data(), zip.size()))
        return L"<not an archive>";
    std::vector<uint8_t> out;
    std::wstring error;
    return archive.Read(name, out, error) ? L"" : error;
}

} // namespace

TEST(ZipArchive, FindsEntriesWithoutRegardToCase)
{
    std::string markup = "<Window><Label text=\"x\"/></Window>";
    auto zip = BuildZip({{"InstallPackages.xml", markup}, {"img/Btn.png", "stored!", false}});
    CZipArchive archive;
    ASSERT_TRUE(archive.Open(zip.data(), zip.size()));
    std::vector<uint8_t> out;
    std::wstring error;
    ASSERT_TRUE(archive.Read(L"installpackages.XML", out, error)) << std::string(error.begin(), error.end());
    EXPECT_EQ(std::string(out.begin(), out.end()), markup);
    ASSERT_TRUE(archive.Read(L"IMG\\btn.png", out, error)) << "a backslash is taken as a slash";
    EXPECT_EQ(std::string(out.begin(), out.end()), "stored!");
    EXPECT_FALSE(archive.Read(L"missing.xml", out, error));
    EXPECT_EQ(error, L"Could not find ziped file");
    CZipArchive closed;
    EXPECT_FALSE(closed.Read(L"x", out, error));
    EXPECT_EQ(error, L"Error opening zip file");
}

TEST(ZipArchive, SizeLimits)
{
    std::string exact(CZipArchive::kMaxEntrySize, 'a');
    auto zip = BuildZip({{"exact.xml", exact}, {"big.xml", exact + "b"}, {"empty.xml", ""}});
    CZipArchive archive;
    ASSERT_TRUE(archive.Open(zip.data(), zip.size()));
    std::vector<uint8_t> out;
    std::wstring error;
    EXPECT_TRUE(archive.Read(L"exact.xml", out, error));
    EXPECT_EQ(out.size(), exact.size());
    EXPECT_FALSE(archive.Read(L"big.xml", out, error));
    EXPECT_EQ(error, L"File too large");
    EXPECT_FALSE(archive.Read(L"empty.xml", out, error));
    EXPECT_EQ(error, L"File is empty");
    EXPECT_EQ(ReadError(BuildZip({{std::string(300, 'n'), "x"}}), std::wstring(300, L'n')), L"Could not find ziped file")
        << "names of 256 bytes or more are not found";
}

TEST(ZipArchive, LyingArchivesFailCleanly)
{
    std::string data(5000, 'z');
    struct Case {
        const char* what;
        ZipEntrySpec entry;
    } cases[] = {
        {"inflates past its declared size", {"e.xml", data, true, 100}},
        {"inflates short of its declared size", {"e.xml", data, true, 9000}},
        {"stored sizes disagree", {"e.xml", data, false, 4000}},
        {"wrong checksum", {"e.xml", data, true, -1, -1, 12345}},
        {"compressed size past the end", {"e.xml", data, true, -1, 1 << 30}},
        {"local header offset past the end", {"e.xml", data, true, -1, -1, -1, 1 << 30}},
        {"local header offset not at a header", {"e.xml", data, true, -1, -1, -1, 3}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadError(BuildZip({c.entry}), L"e.xml"), L"Could not unzip file") << c.what;

    auto good = BuildZip({{"e.xml", data}});
    CZipArchive archive;
    for (size_t cut : {size_t(0), size_t(10), good.size() - 23, good.size() - 1})
        EXPECT_FALSE(archive.Open(good.data(), cut)) << "an archive cut to " << cut << " bytes";
    auto badDirectory = good;
    badDirectory[badDirectory.size() - 6] = 0xFF; // directory offset beyond the end record
    EXPECT_FALSE(archive.Open(badDirectory.data(), badDirectory.size()));
    auto manyEntries = good;
    manyEntries[manyEntries.size() - 12] = 0x40; // claims 64 entries
    EXPECT_FALSE(archive.Open(manyEntries.data(), manyEntries.size()));
}
