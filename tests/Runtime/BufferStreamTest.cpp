#include <gtest/gtest.h>
#include <vector>
#include "Runtime/IBufferStream.h"
#include "Runtime/OBufferStream.h"

TEST(IBufferStream, ReadsWholeRequestsOrNothing)
{
    const char source[] = "0123456789";
    IBufferStream stream(source, 10);
    EXPECT_EQ(stream.Size(), 10u);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(stream.Read(buffer, 4), 4);
    EXPECT_EQ(stream.Read(buffer, 4), -1);
    EXPECT_EQ(stream.Position(), 8u) << "a refused read leaves the position";
    EXPECT_EQ(stream.Read(buffer, 2), 2);
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_EQ(stream.Read(buffer, 2), 0);
    EXPECT_EQ(stream.Read(buffer, 0xFFFFFFFFu), 0) << "at the end every read is 0";
    stream.Close();
    EXPECT_EQ(stream.Size(), 0u);
    EXPECT_EQ(stream.Read(buffer, 1), 0);

    IBufferStream huge(source, 10);
    EXPECT_EQ(huge.Read(buffer, 0xFFFFFFFFu), -1) << "a count that would wrap the position is refused";
    IBufferStream empty(nullptr, 0);
    EXPECT_EQ(empty.Read(buffer, 1), 0);
}

TEST(OBufferStream, GrowsByDoublingAndKeepsEveryByte)
{
    OBufferStream stream;
    EXPECT_EQ(stream.Capacity(), 2097152u);
    std::vector<unsigned char> big(3 * 1024 * 1024);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<unsigned char>(i * 7 + i / 4096);
    stream.Write("ab", 2);
    EXPECT_EQ(stream.Write(big.data(), static_cast<uint32_t>(big.size())), static_cast<int32_t>(big.size()));
    EXPECT_EQ(stream.Capacity(), 4194304u);
    ASSERT_EQ(stream.Length(), big.size() + 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Data()), 2), "ab");
    EXPECT_EQ(0, memcmp(stream.Data() + 2, big.data(), big.size()));

    stream.Free();
    EXPECT_EQ(stream.Capacity(), 0u);
    EXPECT_EQ(stream.Length(), 0u);
    std::vector<unsigned char> small(100, 0x5A);
    stream.Write(small.data(), 100);
    EXPECT_EQ(stream.Capacity(), 524288u);
    EXPECT_EQ(0, memcmp(stream.Data(), small.data(), 100));
    stream.Close();
    EXPECT_EQ(stream.Data(), nullptr);
}

TEST(OBufferStream, KeepsTenSpareBytesPastTheData)
{
    OBufferStream stream;
    std::vector<unsigned char> block(2097152 - 10, 1);
    stream.Write(block.data(), static_cast<uint32_t>(block.size()));
    EXPECT_EQ(stream.Capacity(), 2097152u) << "exactly ten bytes of room left: no growth";
    stream.Write("x", 1);
    EXPECT_EQ(stream.Capacity(), 4194304u);
    EXPECT_EQ(stream.Data()[block.size()], 'x');
}
