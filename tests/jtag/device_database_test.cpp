#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/app_fixture.h"

namespace {

namespace fs = std::filesystem;

class DeviceDatabaseTest : public AppFixture {
 protected:
  fs::path root =
      fs::temp_directory_path() /
      ("pinloom_devdb_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
       ::testing::UnitTest::GetInstance()->current_test_info()->name());

  void SetUp() override { fs::create_directories(root); }
  void TearDown() override { fs::remove_all(root); }

  std::string Dir(const std::string& name) {
    fs::create_directories(root / name);
    return (root / name).string() + "/";
  }
  static void Write(const std::string& dir, const std::string& text) {
    std::ofstream(dir + "JTAGDEVICES.INI", std::ios::binary) << text;
  }
};

TEST_F(DeviceDatabaseTest, ReadsEntriesInFileOrderAndLogsThem) {
  const std::string dir = Dir("prog");
  Write(dir,
        "[MAIN]\r\nTYPE=PINLOOM\r\nCOUNT=3\r\n"
        "[device0]\r\nDescription=Generic\r\nIDCode=00000000\r\nIRLen=8\r\n"
        "[DEVICE1]\r\ndescription = \"Board CPLD\"\r\nIDCode=1234A0DD\r\nIRLen=260\r\n");
  ASSERT_TRUE(form.ReadDeviceDatabase({dir}));
  ASSERT_EQ(form.DeviceDBCount, 3);
  EXPECT_EQ(form.DeviceDB[0], (TFPGATypes{"Generic", "00000000", 8}));
  EXPECT_EQ(form.DeviceDB[1], (TFPGATypes{"Board CPLD", "1234A0DD", 4}));  // 260 mod 256
  EXPECT_EQ(form.DeviceDB[2], (TFPGATypes{"", "", 0}));  // COUNT beyond the sections
  EXPECT_EQ(LogEntries(),
            (std::vector<std::pair<std::string, TColor>>{{"Supported devices: ", clGray},
                                                         {"0. device: Generic", clGray},
                                                         {"1. device: Board CPLD", clGray},
                                                         {"2. device: ", clGray}}));
}

TEST_F(DeviceDatabaseTest, FirstFileOfTypePinloomWins) {
  const std::string missing = Dir("missing");
  const std::string wrongType = Dir("wrong");
  const std::string good = Dir("good");
  const std::string later = Dir("later");
  Write(wrongType, "[MAIN]\r\nTYPE=pinloom\r\nCOUNT=1\r\n[device0]\r\nDescription=Wrong\r\n");
  Write(good, "[MAIN]\r\nTYPE=PINLOOM\r\nCOUNT=1\r\n[device0]\r\nDescription=Good\r\n");
  Write(later, "[MAIN]\r\nTYPE=PINLOOM\r\nCOUNT=1\r\n[device0]\r\nDescription=Later\r\n");
  ASSERT_TRUE(form.ReadDeviceDatabase({missing, wrongType, good, later}));
  ASSERT_EQ(form.DeviceDBCount, 1);
  EXPECT_EQ(form.DeviceDB[0].Description, "Good");
}

TEST_F(DeviceDatabaseTest, NoDatabaseLeavesItEmptyAndSilent) {
  const std::string wrongType = Dir("wrong");
  Write(wrongType, "[MAIN]\r\nTYPE=OTHER\r\nCOUNT=1\r\n");
  EXPECT_FALSE(form.ReadDeviceDatabase({Dir("none"), wrongType}));
  EXPECT_EQ(form.DeviceDBCount, 0);
  EXPECT_TRUE(form.DeviceDB.empty());
  EXPECT_TRUE(LogMessages().empty());
}

TEST_F(DeviceDatabaseTest, NegativeCountReadsNoEntries) {
  const std::string dir = Dir("prog");
  Write(dir, "[MAIN]\r\nTYPE=PINLOOM\r\nCOUNT=-5\r\n");
  ASSERT_TRUE(form.ReadDeviceDatabase({dir}));
  EXPECT_EQ(form.DeviceDBCount, 0);
  EXPECT_EQ(LogMessages(), std::vector<std::string>{"Supported devices: "});
}

TEST(DeviceDatabaseSearch, ProgramDirectoryThenShareThenDemo) {
  EXPECT_EQ(
      DeviceDatabaseDirectories("/opt/pl/bin/", "/src/demo"),
      (std::vector<std::string>{"/opt/pl/bin/", "/opt/pl/bin/../share/pinloom/", "/src/demo/"}));
}

TEST(DeviceDatabaseLookup, VersionDigitIgnoredCaseSensitive) {
  const std::vector<TFPGATypes> db{{"Entry0", "0AAAAAAA", 4},
                                   {"Lower", "1234a0dd", 6},
                                   {"Upper", "0234A0DD", 8},
                                   {"Again", "F234A0DD", 9}};
  EXPECT_EQ(FindDeviceEntry(db, "5234A0DD"), 2);  // version 5 matches version 0, first wins
  EXPECT_EQ(FindDeviceEntry(db, "1234a0dd"), 1);  // only ever read in upper case
  EXPECT_EQ(FindDeviceEntry(db, "12345678"), -1);
  EXPECT_EQ(FindDeviceEntry({}, "12345678"), -1);
}

}  // namespace
