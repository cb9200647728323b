#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/pinloom_error.h"

namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
 protected:
  fs::path dir =
      fs::temp_directory_path() / ("pinloom_ini_" + std::to_string(::getpid()) + "_" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override {
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir);
  }
  std::string Write(const std::string& name, const std::string& content) {
    const auto p = (dir / name).string();
    std::ofstream(p, std::ios::binary) << content;
    return p;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

TEST_F(IniFileTest, ReadsTheDialect) {
  const std::string longValue(3000, 'x');
  const auto path = Write("a.ini",
                          "[Main]\r\nType = PINLOOM \r\nQuoted=\"  spaced  \"\r\nSingle='v'\r\n"
                          "Mismatch=\"v'\r\nLong=" +
                              longValue +
                              "\n[Numbers]\nDec=42\nNeg=-7\n"
                              "Hex=0x1F\nDollar=$ff\nBad=12a\nEmpty=\n");
  TIniFile ini(path);
  struct Case {
    const char* section;
    const char* key;
    std::string expected;
  };
  const Case cases[] = {
      {"MAIN", "TYPE", "PINLOOM"},       // names without regard to case, value trimmed
      {"main", "quoted", "  spaced  "},  // one pair of quotes dropped after trimming
      {"Main", "Single", "v"},          {"Main", "Mismatch", "\"v'"},  // quotes must match
      {"Main", "Missing", "dflt"},  // missing key gives the default
      {"Nowhere", "Type", "dflt"},  // missing section gives the default
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ini.ReadString(c.section, c.key, "dflt"), c.expected) << c.section << "/" << c.key;
  }
  EXPECT_EQ(ini.ReadString("Main", "Long", "").size(), TIniFile::kMaxValueLength);

  const std::pair<const char*, int32_t> ints[] = {{"Dec", 42},     {"Neg", -7}, {"Hex", 31},
                                                  {"Dollar", 255}, {"Bad", -1}, {"Empty", -1},
                                                  {"Missing", -1}};
  for (const auto& [key, expected] : ints) {
    EXPECT_EQ(ini.ReadInteger("numbers", key, -1), expected) << key;
  }
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndIsCreatedByTheFirstWrite) {
  const auto path = (dir / "new.ini").string();
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("A", "B", "d"), "d");
  ini.WriteString("A", "B", "1");
  EXPECT_EQ(Read(path), "[A]\r\nB=1\r\n");
}

TEST_F(IniFileTest, WritesKeepOtherSectionsAndKeys) {
  const auto path =
      Write("k.ini", "; comment\r\n[Other]\r\nx=1\r\n\r\n[P]\r\nkey=old\r\nkeep=2\r\n");
  TIniFile ini(path);
  ini.WriteString("p", "KEY", "new");  // replaced in place, under the caller's spelling
  ini.WriteString("P", "added", "3");  // appended at the section's end
  ini.WriteString("Other", "y", "4");  // before the blank separator line
  ini.WriteInteger("Q", "n", -5);      // new section at the end
  EXPECT_EQ(Read(path),
            "; comment\r\n[Other]\r\nx=1\r\ny=4\r\n\r\n[P]\r\nKEY=new\r\nkeep=2\r\nadded=3\r\n"
            "[Q]\r\nn=-5\r\n");
  ini.EraseSection("p");
  EXPECT_EQ(Read(path), "; comment\r\n[Other]\r\nx=1\r\ny=4\r\n\r\n[Q]\r\nn=-5\r\n");
  EXPECT_EQ(TIniFile(path).ReadInteger("Q", "N", 0), -5);
}

TEST_F(IniFileTest, FailedWriteLeavesTheOldFileIntact) {
  const std::string original = "[A]\r\nB=1\r\n";
  const auto path = Write("keep.ini", original);
  TIniFile ini(path);
  // The directory refuses new files: the temporary file cannot be made.
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  const bool dirWritable = ::access(dir.c_str(), W_OK) == 0;  // true for root
  if (!dirWritable) {
    EXPECT_THROW(ini.WriteString("A", "B", "2"), EPinloomError);
    EXPECT_EQ(Read(path), original);
    // The in-memory view still matches the file.
    EXPECT_EQ(ini.ReadString("A", "B", ""), "1");
  }
  fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);

  // A target that cannot be replaced (a directory in its place) fails after the
  // temporary file was written: nothing is left behind and the error is reported.
  const auto blocked = (dir / "blocked.ini").string();
  fs::create_directory(blocked);
  fs::create_directory(blocked + "/child");  // a non-empty directory cannot be renamed over
  TIniFile blockedIni(blocked);
  EXPECT_THROW(blockedIni.WriteString("A", "B", "2"), EPinloomError);
  EXPECT_TRUE(fs::is_directory(blocked));
  for (const auto& entry : fs::directory_iterator(dir)) {
    EXPECT_EQ(entry.path().filename().string().rfind(".pinloom-", 0), std::string::npos)
        << "temporary file left behind: " << entry.path();
  }
  EXPECT_EQ(Read(path), original);
}

TEST_F(IniFileTest, FullDiskLeavesTheOldFileIntact) {
  // /dev/full accepts the open and fails every write, as a full disk does. Writing
  // through it needs the temporary file itself to fail: emulate by a file size limit.
  const std::string original = "[A]\r\nB=1\r\n";
  const auto path = Write("full.ini", original);
  TIniFile ini(path);
  const std::string huge(1 << 20, 'v');
  // RLIMIT_FSIZE makes write() fail with EFBIG once the limit is reached.
  struct rlimit old {};
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_THROW(ini.WriteString("A", "Big", huge), EPinloomError);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(Read(path), original);
  EXPECT_EQ(ini.ReadString("A", "Big", "none"), "none");
}

}  // namespace
