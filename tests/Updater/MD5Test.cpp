#include <gtest/gtest.h>
#include <string>
#include "Updater/MD5.h"

namespace {

std::string Digest(const std::string& text)
{
    MD5 md5;
    md5.update(reinterpret_cast<const unsigned char*>(text.data()), static_cast<unsigned>(text.size()));
    md5.finalize();
    return md5.hex_digest();
}

} // namespace

TEST(MD5, TestSuiteOfTheStandard)
{
    EXPECT_EQ(Digest(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Digest("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(Digest("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Digest("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(Digest("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(Digest("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    std::string digits;
    for (int i = 0; i < 8; ++i)
        digits += "1234567890";
    EXPECT_EQ(Digest(digits), "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(MD5, PiecesGiveTheSameDigest)
{
    std::string data(5000, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 31 + 7);
    MD5 pieces;
    for (size_t at = 0; at < data.size(); at += 63)
        pieces.update(reinterpret_cast<const unsigned char*>(data.data() + at),
                      static_cast<unsigned>(std::min<size_t>(63, data.size() - at)));
    pieces.finalize();
    EXPECT_EQ(std::string(pieces.hex_digest()), Digest(data));
}

TEST(MD5, MisuseIsReportedAndIgnored)
{
    MD5 md5;
    testing::internal::CaptureStderr();
    EXPECT_STREQ(md5.hex_digest(), "");
    md5.update(reinterpret_cast<const unsigned char*>("abc"), 3);
    md5.finalize();
    md5.update(reinterpret_cast<const unsigned char*>("more"), 4);
    md5.finalize();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_STREQ(md5.hex_digest(), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_NE(err.find("MD5::hex_digest:  Can't get digest if you haven't finalized the digest!\n"), std::string::npos)
        << err;
    EXPECT_NE(err.find("MD5::update:  Can't update a finalized digest!\n"), std::string::npos);
    EXPECT_NE(err.find("MD5::finalize:  Already finalized this digest!\n"), std::string::npos);
}
