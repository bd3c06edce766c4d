// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "store/ConfigFile.h"
#include "support/Headless.h"

namespace gw::store {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Encode(std::string_view text) {
  Bytes out;
  WriteCfgString(out, text);
  return out;
}

HiScoreTable DefaultTable() {
  HiScoreTable t;
  ResetHiScores(t);
  return t;
}

Bytes FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(CfgString, StoredAsLengthAndComplementedBytes) {
  EXPECT_EQ(Encode("abc"), (Bytes{0x03, 0x9E, 0x9D, 0x9C}));
  EXPECT_EQ(Encode(""), (Bytes{0x00}));
  EXPECT_EQ(Encode(std::string_view("\xFF\x00", 2)), (Bytes{0x02, 0x00, 0xFF}));
}

TEST(CfgString, ATextLongerThan255BytesIsStoredAsItsFirst255) {
  std::string text(300, 'x');
  text[254] = 'y';
  const Bytes stored = Encode(text);
  ASSERT_EQ(stored.size(), 256u);
  EXPECT_EQ(stored[0], 255);
  std::size_t pos = 0;
  EXPECT_EQ(ReadCfgString(stored, pos), text.substr(0, 255));
  EXPECT_EQ(pos, 256u);
}

TEST(CfgString, ReadsBackEveryByteValue) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  Bytes stored = Encode(all);
  stored.push_back(0x42);
  std::size_t pos = 0;
  EXPECT_EQ(ReadCfgString(stored, pos), all);
  EXPECT_EQ(pos, 256u);
  EXPECT_FALSE(ReadCfgString(Bytes{0x03, 0x9E, 0x9D}, pos = 0)) << "one byte short";
  EXPECT_FALSE(ReadCfgString(Bytes{}, pos = 0));
}

// The file a first start writes: flags, "Россия", then ten times "Ваня" with 1000 down to 100.
TEST(ConfigLayout, TheInitialSettingsAndDefaultTableMakeTheHundredByteFile) {
  Bytes expected = {0x01, 0x01, 0x01, 0x06};
  for (int c : {0xD0, 0xEE, 0xF1, 0xF1, 0xE8, 0xFF}) expected.push_back(static_cast<std::uint8_t>(c ^ 0xFF));
  for (int score = 1000; score >= 100; score -= 100) {
    expected.push_back(0x04);
    for (int c : {0xC2, 0xE0, 0xED, 0xFF}) expected.push_back(static_cast<std::uint8_t>(c ^ 0xFF));
    for (int shift = 0; shift < 32; shift += 8) expected.push_back(static_cast<std::uint8_t>(score >> shift));
  }
  ASSERT_EQ(expected.size(), 100u);
  EXPECT_EQ(EncodeConfig(InitialOptions(), DefaultTable()), expected);
}

TEST(ConfigLayout, RoundTripKeepsEveryFieldIncludingNegativeScoresAndAnEmptyCountry) {
  TOptions options{.Windowed = false, .Sound = true, .Music = false, .Country = ""};
  HiScoreTable table = DefaultTable();
  table[0] = {"\xC9\xD6\xD3", 2147483647};
  table[5] = {"", 0};
  table[9] = {"Z", -40};
  const Bytes bytes = EncodeConfig(options, table);
  EXPECT_EQ(bytes[3], 0x00) << "an empty country is the single byte 00";
  std::string error;
  const auto back = DecodeConfig(bytes, error);
  ASSERT_TRUE(back) << error;
  EXPECT_FALSE(back->options.Windowed);
  EXPECT_TRUE(back->options.Sound);
  EXPECT_FALSE(back->options.Music);
  EXPECT_EQ(back->options.Country, "");
  for (std::size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(back->hiScores[i].Name, table[i].Name) << i;
    EXPECT_EQ(back->hiScores[i].Score, table[i].Score) << i;
  }
  const Bytes last(bytes.end() - 4, bytes.end());
  EXPECT_EQ(last, (Bytes{0xD8, 0xFF, 0xFF, 0xFF}));
}

struct FlagCase {
  std::uint8_t windowed, music, sound;
};

// The file keeps music before sound; only the value 1 is true, and what is written back is 0 or 1.
TEST(ConfigLayout, FlagBytesInFileOrderOnlyOneIsTrue) {
  for (const FlagCase c : {FlagCase{1, 0, 1}, FlagCase{0, 1, 0}, FlagCase{2, 1, 0xFF}, FlagCase{1, 0x80, 2}}) {
    Bytes bytes = EncodeConfig(InitialOptions(), DefaultTable());
    bytes[0] = c.windowed;
    bytes[1] = c.music;
    bytes[2] = c.sound;
    std::string error;
    const auto data = DecodeConfig(bytes, error);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->options.Windowed, c.windowed == 1);
    EXPECT_EQ(data->options.Music, c.music == 1);
    EXPECT_EQ(data->options.Sound, c.sound == 1);
    const Bytes again = EncodeConfig(data->options, data->hiScores);
    EXPECT_EQ(again[0], c.windowed == 1 ? 1 : 0);
    EXPECT_EQ(again[1], c.music == 1 ? 1 : 0);
    EXPECT_EQ(again[2], c.sound == 1 ? 1 : 0);
  }
}

TEST(ConfigLayout, BytesAfterTheTenthEntryAreIgnored) {
  const Bytes bytes = EncodeConfig(InitialOptions(), DefaultTable());
  Bytes longer = bytes;
  for (int i = 0; i < 500; ++i) longer.push_back(static_cast<std::uint8_t>(i * 7));
  std::string error;
  const auto plain = DecodeConfig(bytes, error);
  const auto extra = DecodeConfig(longer, error);
  ASSERT_TRUE(plain && extra);
  EXPECT_EQ(EncodeConfig(extra->options, extra->hiScores), bytes);
}

TEST(ConfigLayout, AFileCutShortAnywhereIsRefusedWithAReason) {
  const Bytes bytes = EncodeConfig(InitialOptions(), DefaultTable());
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    std::string error;
    EXPECT_FALSE(DecodeConfig(std::span(bytes).first(n), error)) << n;
    EXPECT_FALSE(error.empty()) << n;
  }
}

class ConfigOnDisk : public ::testing::Test {
 protected:
  test::TempFolder folder;
  const std::filesystem::path path{kConfigFileName};
};

TEST_F(ConfigOnDisk, WriteThenReadGivesTheSameRecordsAndLeavesNoTemporaryFile) {
  TOptions options = InitialOptions();
  options.Music = false;
  HiScoreTable table = DefaultTable();
  AddHiScore(table, "\xC0", 750);
  std::string error;
  ASSERT_TRUE(WriteConfigFile(path, options, table, error)) << error;
  EXPECT_EQ(FileBytes(path), EncodeConfig(options, table));
  // A second save replaces the first: a shorter content leaves no old tail behind.
  options.Country = "";
  ASSERT_TRUE(WriteConfigFile(path, options, table, error)) << error;
  EXPECT_EQ(FileBytes(path), EncodeConfig(options, table));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 1);
  ConfigData data;
  ASSERT_EQ(ReadConfigFile(path, data, error), LoadStatus::Loaded);
  EXPECT_FALSE(data.options.Music);
  EXPECT_EQ(data.options.Country, "");
  EXPECT_EQ(data.hiScores[3].Score, 750);
}

TEST_F(ConfigOnDisk, AFailedSaveKeepsTheLastGoodFile) {
  const Bytes good = EncodeConfig(InitialOptions(), DefaultTable());
  WriteBytes(path, good);
  std::filesystem::create_directory("Config.cfg.new");  // the new file cannot be made
  TOptions changed = InitialOptions();
  changed.Windowed = false;
  std::string error;
  EXPECT_FALSE(WriteConfigFile(path, changed, DefaultTable(), error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(FileBytes(path), good);
}

// The real system calls, each logged with the file it touches; the one named by failAt fails with EIO.
class LoggedCalls final : public FileCalls {
 public:
  int Open(const char* path, int flags, mode_t mode) override {
    if (Fails("open " + std::string(path))) return -1;
    const int fd = FileCalls::Open(path, flags, mode);
    if (fd >= 0) names[fd] = path;
    return fd;
  }
  ssize_t Write(int fd, const void* data, std::size_t size) override {
    // One byte at a time, so partial writes are met too.
    return Fails("write " + names[fd]) ? -1 : FileCalls::Write(fd, data, std::min<std::size_t>(size, 1));
  }
  int Sync(int fd) override { return Fails("sync " + names[fd]) ? -1 : FileCalls::Sync(fd); }
  int Close(int fd) override {
    const bool fails = Fails("close " + names[fd]);
    FileCalls::Close(fd);  // a close that reports an error has still closed
    return fails ? -1 : 0;
  }
  int Rename(const char* from, const char* to) override {
    return Fails("rename " + std::string(from) + " " + to) ? -1 : FileCalls::Rename(from, to);
  }
  int Unlink(const char* path) override { return Fails("unlink " + std::string(path)) ? -1 : FileCalls::Unlink(path); }

  std::vector<std::string> log;
  std::string failAt;

 private:
  bool Fails(const std::string& call) {
    if (log.empty() || log.back() != call) log.push_back(call);  // repeated writes log once
    if (call != failAt) return false;
    errno = EIO;
    return true;
  }
  std::map<int, std::string> names;
};

TEST_F(ConfigOnDisk, ASaveReachesTheDiskBeforeItReplacesTheOldFile) {
  LoggedCalls calls;
  std::string error;
  ASSERT_TRUE(WriteConfigFile(path, InitialOptions(), DefaultTable(), error, calls)) << error;
  EXPECT_EQ(FileBytes(path), EncodeConfig(InitialOptions(), DefaultTable()));
  const std::vector<std::string> expected = {
      "unlink Config.cfg.new", "open Config.cfg.new", "write Config.cfg.new",
      "sync Config.cfg.new",   "close Config.cfg.new", "rename Config.cfg.new Config.cfg",
      "open .",                "sync .",              "close ."};
  EXPECT_EQ(calls.log, expected);
}

TEST_F(ConfigOnDisk, AFailureAtAnyStepIsAFailedSave) {
  const Bytes good = EncodeConfig(InitialOptions(), DefaultTable());
  TOptions changed = InitialOptions();
  changed.Country = "x";
  const Bytes wanted = EncodeConfig(changed, DefaultTable());
  struct Case {
    const char* call;
    const char* says;
    bool replaced;  // the step comes after the rename, which cannot be undone
  };
  const Case cases[] = {{"unlink Config.cfg.new", "cannot remove the stale Config.cfg.new", false},
                        {"open Config.cfg.new", "cannot create Config.cfg.new", false},
                        {"write Config.cfg.new", "cannot write Config.cfg.new", false},
                        {"sync Config.cfg.new", "cannot flush to disk Config.cfg.new", false},
                        {"close Config.cfg.new", "cannot close Config.cfg.new", false},
                        {"rename Config.cfg.new Config.cfg", "cannot rename Config.cfg.new over Config.cfg", false},
                        {"open .", "cannot open the folder .", true},
                        {"sync .", "cannot flush to disk the folder .", true},
                        {"close .", "cannot close the folder .", true}};
  for (const Case& c : cases) {
    WriteBytes(path, good);
    LoggedCalls calls;
    calls.failAt = c.call;
    std::string error;
    EXPECT_FALSE(WriteConfigFile(path, changed, DefaultTable(), error, calls)) << c.call;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    EXPECT_NE(error.find("Input/output error"), std::string::npos) << error;
    EXPECT_EQ(FileBytes(path), c.replaced ? wanted : good) << c.call;
    EXPECT_FALSE(std::filesystem::exists("Config.cfg.new")) << c.call;
  }
}

#ifndef _WIN32  // Windows keeps no permission bits: a save there always makes a file that may be written.
// A player who made the table private keeps it private; bits the umask would cut stay too.
TEST_F(ConfigOnDisk, ASaveKeepsTheOldFilesPermissionsAndANewFileGetsTheUsualOnes) {
  const mode_t previousMask = ::umask(022);
  struct Case {
    mode_t before;
    mode_t after;
  };
  // 0: no file yet.
  const Case cases[] = {{0, 0644}, {0600, 0600}, {0664, 0664}, {0400, 0400}, {0640, 0640}};
  for (const Case& c : cases) {
    std::filesystem::remove(path);
    if (c.before != 0) {
      WriteBytes(path, Bytes{1, 2, 3});
      ASSERT_EQ(::chmod(path.c_str(), c.before), 0);
    }
    std::string error;
    ASSERT_TRUE(WriteConfigFile(path, InitialOptions(), DefaultTable(), error)) << error;
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, c.after) << std::oct << c.before;
    EXPECT_EQ(FileBytes(path), EncodeConfig(InitialOptions(), DefaultTable())) << std::oct << c.before;
  }
  ::umask(previousMask);
}
#endif

TEST_F(ConfigOnDisk, AStaleNewFileFromACrashDoesNoHarm) {
  // Left by a crash: longer than a save, read-only, or a link to another file.
  WriteBytes("Config.cfg.new", Bytes(2000, 0x55));
  std::filesystem::permissions("Config.cfg.new", std::filesystem::perms::owner_read);
  std::string error;
  ASSERT_TRUE(WriteConfigFile(path, InitialOptions(), DefaultTable(), error)) << error;
  EXPECT_EQ(FileBytes(path), EncodeConfig(InitialOptions(), DefaultTable()));
  EXPECT_FALSE(std::filesystem::exists("Config.cfg.new"));
  ConfigData data;
  EXPECT_EQ(ReadConfigFile(path, data, error), LoadStatus::Loaded);

  WriteBytes("other", Bytes{1, 2, 3});
  std::error_code linkError;
  std::filesystem::create_symlink("other", "Config.cfg.new", linkError);
  if (linkError) GTEST_SKIP() << "no symbolic links on this system: " << linkError.message();
  ASSERT_TRUE(WriteConfigFile(path, InitialOptions(), DefaultTable(), error)) << error;
  EXPECT_EQ(FileBytes("other"), (Bytes{1, 2, 3}));
  EXPECT_FALSE(std::filesystem::is_symlink(path));
}

TEST_F(ConfigOnDisk, MissingShortOrNonFileConfigsAreToldApart) {
  ConfigData data;
  std::string error;
  EXPECT_EQ(ReadConfigFile(path, data, error), LoadStatus::Missing);
  WriteBytes(path, Bytes{1, 1, 1, 6, 0x2F});
  EXPECT_EQ(ReadConfigFile(path, data, error), LoadStatus::Damaged);
  EXPECT_NE(error.find("country"), std::string::npos) << error;
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  EXPECT_EQ(ReadConfigFile(path, data, error), LoadStatus::Damaged);
  EXPECT_EQ(data.options.Country, "") << "a refused file changes nothing";
}

// A link may point at any file the player can read; a pipe would hold the game up at its start.
TEST_F(ConfigOnDisk, NeitherALinkNorAPipeIsReadThrough) {
  WriteBytes("good", EncodeConfig(InitialOptions(), DefaultTable()));
  std::error_code linkError;
  std::filesystem::create_symlink("good", path, linkError);
  if (linkError) GTEST_SKIP() << "no symbolic links on this system: " << linkError.message();
  ConfigData data;
  data.options.Country = "untouched";
  std::string error;
  EXPECT_EQ(ReadConfigFile(path, data, error), LoadStatus::Damaged);
  EXPECT_EQ(error, "it is a symbolic link");
  EXPECT_EQ(data.options.Country, "untouched");
  std::filesystem::remove(path);
  std::filesystem::create_symlink("nowhere", path);
  EXPECT_EQ(ReadConfigFile(path, data, error), LoadStatus::Damaged) << "a dangling link is not a missing file";
#ifndef _WIN32  // Windows has no named pipes in its file system.
  std::filesystem::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(ReadConfigFile(path, data, error), LoadStatus::Damaged);
  EXPECT_EQ(error, "it is not a file");
#endif
}

TEST_F(ConfigOnDisk, AHugeFileIsReadOnlyAsFarAsTheTable) {
  Bytes bytes = EncodeConfig(InitialOptions(), DefaultTable());
  bytes.resize(4 << 20, 0xAB);
  WriteBytes(path, bytes);
  ConfigData data;
  std::string error;
  ASSERT_EQ(ReadConfigFile(path, data, error), LoadStatus::Loaded);
  EXPECT_EQ(data.hiScores[9].Score, 100);
}

TEST_F(ConfigOnDisk, ADamagedFileIsMovedAsideUnderAFreeName) {
  WriteBytes(path, Bytes{1, 2, 3});
  EXPECT_EQ(KeepDamagedFile(path), std::filesystem::path("Config.cfg.damaged"));
  WriteBytes(path, Bytes{4, 5});
  EXPECT_EQ(KeepDamagedFile(path), std::filesystem::path("Config.cfg.damaged.1"));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(FileBytes("Config.cfg.damaged"), (Bytes{1, 2, 3}));
  EXPECT_EQ(FileBytes("Config.cfg.damaged.1"), (Bytes{4, 5}));
  // A link in the way (even a dangling one) is a taken name, never renamed over nor written through.
  std::error_code linkError;
  std::filesystem::create_symlink("elsewhere", "Config.cfg.damaged.2", linkError);
  if (linkError) GTEST_SKIP() << "no symbolic links on this system: " << linkError.message();
  WriteBytes(path, Bytes{6});
  EXPECT_EQ(KeepDamagedFile(path), std::filesystem::path("Config.cfg.damaged.3"));
  EXPECT_TRUE(std::filesystem::is_symlink("Config.cfg.damaged.2"));
}

}  // namespace
}  // namespace gw::store
