#include <gtest/gtest.h>
#include <string>
#include "Runtime/FileEx.h"
#include "support/TempFolder.h"

namespace {

constexpr uint32_t kWriteCreate = CFileEx::kWrite | CFileEx::kCreate;

std::string Content(const std::wstring& path)
{
    CFileEx file;
    if (!file.Open(path.c_str(), CFileEx::kRead | CFileEx::kShareDenyNone, nullptr))
        return "<missing>";
    std::string text(file.SeekToEnd(), '\0');
    file.Seek(0, 0);
    text.resize(file.Read(text.data(), static_cast<uint32_t>(text.size())));
    return text;
}

void WriteText(const std::wstring& path, uint32_t flags, const std::string& text)
{
    CFileEx file;
    ASSERT_TRUE(file.Open(path.c_str(), flags, nullptr));
    file.Write(text.data(), static_cast<uint32_t>(text.size()));
    file.Close();
}

} // namespace

TEST(FileEx, OpenMissingFileReportsWithoutRaising)
{
    TempFolder folder;
    CFileEx file;
    CFileExException error;
    EXPECT_FALSE(file.Open(folder.File(L"missing.bin").c_str(), CFileEx::kRead, &error));
    EXPECT_EQ(error.Text(), L"INVALID_HANDLE_VALUE");
    EXPECT_EQ(error.OsError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Open(folder.File(L"missing.bin").c_str(), CFileEx::kRead, nullptr)) << "no error object needed";
    EXPECT_FALSE(file.Open(folder.File(L"no\\such\\dir.bin").c_str(), kWriteCreate, &error));
    EXPECT_EQ(error.OsError(), ERROR_PATH_NOT_FOUND);
}

TEST(FileEx, CreateTruncatesUnlessNoTruncate)
{
    TempFolder folder;
    std::wstring path = folder.File(L"data.bin");
    WriteText(path, kWriteCreate, "hello world");
    EXPECT_EQ(Content(path), "hello world");
    WriteText(path, kWriteCreate | CFileEx::kNoTruncate, "HELLO");
    EXPECT_EQ(Content(path), "HELLO world") << "0x3000 keeps the content and writes from the start";
    WriteText(path, 0x90A1, "new");
    EXPECT_EQ(Content(path), "new") << "the manifest store's flags truncate";
    WriteText(path, kWriteCreate | CFileEx::kUntranslated, "x");
    EXPECT_EQ(Content(path), "x");

    CFileEx file;
    ASSERT_TRUE(file.Open(path.c_str(), CFileEx::kReadWrite, nullptr));
    file.SeekToEnd();
    file.Write("yz", 2);
    file.Write(nullptr, 0);
    EXPECT_EQ(file.GetPosition(), 3u);
    char buffer[4] = {};
    EXPECT_EQ(file.Read(buffer, 0), 0u);
    file.Close();
    EXPECT_EQ(Content(path), "xyz");
}

TEST(FileEx, SharingModesAreHonoured)
{
    TempFolder folder;
    std::wstring path = folder.File(L"shared.bin");
    CFileEx writer;
    ASSERT_TRUE(writer.Open(path.c_str(), kWriteCreate | CFileEx::kShareDenyWrite, nullptr));
    CFileEx second;
    CFileExException error;
    EXPECT_FALSE(second.Open(path.c_str(), CFileEx::kWrite, &error)) << "deny-write refuses a second writer";
    EXPECT_EQ(error.OsError(), ERROR_SHARING_VIOLATION);
    CFileEx reader;
    EXPECT_TRUE(reader.Open(path.c_str(), CFileEx::kRead | CFileEx::kShareDenyNone, nullptr))
        << "and lets a reader in";
    reader.Close();
    writer.Close();

    CFileEx exclusive;
    ASSERT_TRUE(exclusive.Open(path.c_str(), CFileEx::kRead | CFileEx::kShareExclusive, nullptr));
    EXPECT_FALSE(reader.Open(path.c_str(), CFileEx::kRead | CFileEx::kShareDenyNone, nullptr));
}

TEST(FileEx, FailuresRaiseWithTheirTexts)
{
    TempFolder folder;
    std::wstring path = folder.File(L"ro.bin");
    WriteText(path, kWriteCreate, "abc");
    CFileEx file;
    ASSERT_TRUE(file.Open(path.c_str(), CFileEx::kRead, nullptr));
    try {
        file.Write("x", 1);
        FAIL() << "a write to a read-only handle must raise";
    } catch (const CFileExException& e) {
        EXPECT_EQ(e.Text(), path);
        EXPECT_EQ(e.OsError(), ERROR_ACCESS_DENIED);
    }
    try {
        file.Seek(-10, 0);
        FAIL() << "a seek before the start must raise";
    } catch (const CFileExException& e) {
        EXPECT_EQ(e.Text(), L"");
        EXPECT_NE(e.OsError(), 0);
    }
    EXPECT_EQ(file.GetPosition(), 0u);
    file.Close();
    EXPECT_NO_THROW(file.Close()) << "a second Close does nothing";
    EXPECT_EQ(file.FileName(), L"");
    EXPECT_NO_THROW(file.Flush());
    EXPECT_NO_THROW(file.Abort());
}

TEST(FileEx, SetLengthThenSeekToEnd)
{
    TempFolder folder;
    std::wstring path = folder.File(L"len.bin");
    CFileEx file;
    ASSERT_TRUE(file.Open(path.c_str(), CFileEx::kReadWrite | CFileEx::kCreate, nullptr));
    file.Write("0123456789", 10);
    file.SetLength(4);
    EXPECT_EQ(file.SeekToEnd(), 4u);
    file.SetLength(100000);
    EXPECT_EQ(file.SeekToEnd(), 100000u);
    EXPECT_EQ(file.Seek(-99996, 1), 4u);
    EXPECT_EQ(file.Seek(2, 0), 2u);
    char buffer[2];
    EXPECT_EQ(file.Read(buffer, 2), 2u);
    EXPECT_EQ(std::string(buffer, 2), "23");
    file.Flush();
    file.Abort();
    EXPECT_FALSE(file.IsOpen());
}

// A partial download past 2 or 4 GiB must be appended to where it ends:
// 32-bit positions would refuse or wrap there.
TEST(FileEx, PositionsPastTwoAndFourGiBAreExact)
{
    TempFolder folder;
    std::wstring path = folder.File(L"big.bin");
    CFileEx file;
    ASSERT_TRUE(file.Open(path.c_str(), CFileEx::kReadWrite | CFileEx::kCreate | CFileEx::kShareDenyNone, nullptr));
    // Lengths set by SetLength are holes on the host's file system: no disk is used.
    for (uint64_t length : {0x80000001ULL, 0x100000010ULL}) {
        file.SetLength(length);
        EXPECT_EQ(file.SeekToEnd(), length);
        file.Write("z", 1);
        EXPECT_EQ(file.GetPosition(), length + 1);
        EXPECT_EQ(file.Seek(-1, 1), length);
        char byte = 0;
        EXPECT_EQ(file.Read(&byte, 1), 1u);
        EXPECT_EQ(byte, 'z');
        EXPECT_EQ(file.Seek(static_cast<int64_t>(length) - 1, 0), length - 1);
    }
    EXPECT_EQ(CFileEx::FindSize(path), 0x100000011LL);
    file.SetLength(0);
    file.Close();
}
