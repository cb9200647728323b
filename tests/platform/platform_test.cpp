#include <gtest/gtest.h>

#include <fstream>

#include "platform/paths.h"
#include "platform/pinloom_error.h"
#include "platform/text_utils.h"
#include "platform/version_info.h"

namespace {

TEST(IsRelativePath, FollowsThePathRules) {
  const std::pair<const char*, bool> cases[] = {{"", false},
                                                {"a", false},
                                                {"$x", false},
                                                {"\\x", false},
                                                {"~x", false},
                                                {"C:\\x", false},
                                                {"c:", false},
                                                {"/abs/x", false},
                                                {"sub\\file.bin", true},
                                                {"sub/file.bin", true},
                                                {"ab", true},
                                                {"..\\x", true}};
  for (const auto& [path, relative] : cases) EXPECT_EQ(IsRelativePath(path), relative) << path;
}

TEST(TextUtils, IntegerConversions) {
  EXPECT_EQ(text::ParseInteger(" 12"), 12);
  EXPECT_EQ(text::ParseInteger("-0x10"), -16);
  EXPECT_EQ(text::ParseInteger("$FFFFFFFF"), -1);
  EXPECT_EQ(text::ParseInteger("2147483648"), std::nullopt);
  EXPECT_EQ(text::ParseInteger("1 "), std::nullopt);
  EXPECT_EQ(text::ParseInteger(""), std::nullopt);
  EXPECT_EQ(text::ParseDecimal("-2147483648"), INT32_MIN);
  EXPECT_EQ(text::ParseDecimal("0x1"), std::nullopt);
  try {
    text::StrToInt("1x");
    FAIL() << "no error";
  } catch (const EPinloomError& e) {
    EXPECT_STREQ(e.what(), "'1x' is not a valid integer value");
  }
  EXPECT_EQ(text::IntToHex(0x231, 8), "00000231");
  EXPECT_EQ(text::IntToHex(0xABCDEF012ULL, 8), "ABCDEF012");
}

TEST(TextUtils, CaseInsensitiveOrderPutsPunctuationFirst) {
  EXPECT_TRUE(text::LessText("-> NOT CONNECTED", "A0"));
  EXPECT_TRUE(text::LessText("pa0", "PA1"));
  EXPECT_FALSE(text::LessText("PA1", "pa0"));
  EXPECT_TRUE(text::LessText("PA1", "PA10"));
  EXPECT_TRUE(text::SameText("Extest", "EXTEST"));
}

TEST(VersionInfo, ReadsTheRecordOfAProgramFile) {
  std::string internalName = "untouched";
  std::string fileVersion = "untouched";
  ASSERT_TRUE(ReadVersionInfo(ProgramFileName(), internalName, fileVersion));
  EXPECT_EQ(internalName, "pinloom_core_tests");
  EXPECT_EQ(fileVersion, "1.0.0.5");
  EXPECT_EQ(GetAppVersion(), "1.0.0.5");
}

TEST(VersionInfo, AFileWithoutOneLeavesTheOutParametersUntouched) {
  const std::string plain = ::testing::TempDir() + "/no_version.bin";
  std::ofstream(plain) << "no version here";
  for (const std::string& file : {plain, std::string("/bin/sh"), std::string("/no/such/file")}) {
    std::string internalName = "a";
    std::string fileVersion = "b";
    EXPECT_FALSE(ReadVersionInfo(file, internalName, fileVersion)) << file;
    EXPECT_EQ(internalName, "a");
    EXPECT_EQ(fileVersion, "b");
  }
}

}  // namespace
