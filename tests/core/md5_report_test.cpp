// The MD5 report of the test suite of RFC 1321: the digests the RFC prints,
// written out in the three notations by string operations of their own.
#include "core/md5_report.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>

#include "support/gbk.h"

namespace {

std::string Md5ReportOf(const std::string& message) {
    MD5Context context;
    MD5Init(&context);
    MD5Update(&context, reinterpret_cast<const unsigned char*>(message.data()),
              static_cast<std::uint32_t>(message.size()));
    unsigned char digest[MD5_DIGEST_SIZE];
    MD5Final(digest, &context);
    return Md5Report(digest);
}

// The report for a digest as the RFC prints it: 32 lower-case hex digits.
std::string Expected(const std::string& rfc_hex) {
    std::string hex;
    for (char ch : rfc_hex) hex += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    std::string spaced, constants;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        spaced += hex.substr(i, 2) + " ";
        constants += "0x" + hex.substr(i, 2) + ",";
    }
    return Gbk("MD5计算结果：\r\n\r\n格式1：\r\n" + spaced + "\r\n\r\n格式2：\r\n" + constants + "\r\n\r\n格式3：\r\n" + hex);
}

TEST(Md5Report, EmptyMessageWordForWord) {
    EXPECT_EQ(Md5ReportOf(""),
              Gbk("MD5计算结果：\r\n\r\n格式1：\r\n"
                  "D4 1D 8C D9 8F 00 B2 04 E9 80 09 98 EC F8 42 7E \r\n\r\n格式2：\r\n"
                  "0xD4,0x1D,0x8C,0xD9,0x8F,0x00,0xB2,0x04,0xE9,0x80,0x09,0x98,0xEC,0xF8,0x42,0x7E,"
                  "\r\n\r\n格式3：\r\nD41D8CD98F00B204E9800998ECF8427E"));
}

TEST(Md5Report, Rfc1321TestSuite) {
    const struct {
        std::string message;
        const char* digest;
    } suite[] = {
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& entry : suite) EXPECT_EQ(Md5ReportOf(entry.message), Expected(entry.digest)) << entry.message;
}

}  // namespace
