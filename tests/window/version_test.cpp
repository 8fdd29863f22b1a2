// The version block of the program file, read the way Explorer reads it.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "tests/window/app_session.h"
#include "tests/window/gbk.h"

namespace window_test {
namespace {

class VersionBlock : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = WindowsPathOf(AppPath());
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path_.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version block in " << path_;
        block_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(path_.c_str(), 0, size, block_.data()));
    }

    // The value at `sub_block`, or null.
    const void* Query(const std::string& sub_block, UINT* length) {
        void* value = nullptr;
        if (!VerQueryValueA(block_.data(), sub_block.c_str(), &value, length)) return nullptr;
        return value;
    }

    std::string path_;
    std::vector<char> block_;
};

TEST_F(VersionBlock, FixedPart) {
    UINT length = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query("\\", &length));
    ASSERT_TRUE(fixed);
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    // 1.0.0.1: major and minor in the high dword, build and revision below.
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileSubtype, 0u);
    EXPECT_EQ(fixed->dwFileDateMS, 0u);
    EXPECT_EQ(fixed->dwFileDateLS, 0u);
}

TEST_F(VersionBlock, TranslationIsChinesePrcUnicode) {
    UINT length = 0;
    const auto* pairs = static_cast<const WORD*>(Query("\\VarFileInfo\\Translation", &length));
    ASSERT_TRUE(pairs);
    ASSERT_EQ(length, 2 * sizeof(WORD));
    EXPECT_EQ(pairs[0], 0x0804);
    EXPECT_EQ(pairs[1], 1200);
}

struct VersionString {
    const char* name;
    const char* value;  // UTF-8
};

const VersionString kVersionStrings[] = {
    {"CompanyName", ""},
    {"FileDescription", u8"Quobrix Microsoft 基础类应用程序"},
    {"FileVersion", "1, 0, 0, 1"},
    {"InternalName", "Quobrix"},
    {"LegalTrademarks", ""},
    {"OriginalFilename", "Quobrix.EXE"},
    {"ProductName", u8"Quobrix 应用程序"},
    {"ProductVersion", "1, 0, 0, 1"},
};

TEST_F(VersionBlock, StringTable080404B0) {
    for (const VersionString& s : kVersionStrings) {
        UINT length = 0;
        const auto* value =
            static_cast<const char*>(Query(std::string("\\StringFileInfo\\080404B0\\") + s.name,
                                           &length));
        ASSERT_TRUE(value) << s.name << " is missing";
        EXPECT_EQ(Show(value), Show(Gbk(s.value))) << s.name;
    }
    UINT length = 0;
    const auto* copyright =
        static_cast<const char*>(Query("\\StringFileInfo\\080404B0\\LegalCopyright", &length));
    ASSERT_TRUE(copyright) << "LegalCopyright is missing";
    EXPECT_GT(std::string(copyright).size(), 0u);
}

// The strings in their order in the block: each key is stored as UTF-16 with
// its value, so the keys' offsets in the raw block must rise in table order.
TEST_F(VersionBlock, StringsInTheirOrder) {
    const char* order[] = {"CompanyName",     "FileDescription",  "FileVersion",
                           "InternalName",    "LegalCopyright",   "LegalTrademarks",
                           "OriginalFilename", "ProductName",      "ProductVersion"};
    size_t last = 0;
    for (const char* key : order) {
        std::u16string wide(key, key + std::char_traits<char>::length(key));
        const std::string raw(block_.begin(), block_.end());
        const std::string needle(reinterpret_cast<const char*>(wide.data()),
                                 (wide.size() + 1) * sizeof(char16_t));
        const size_t at = raw.find(needle);
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, last) << key << " is out of order";
        last = at;
    }
}

}  // namespace
}  // namespace window_test
