// SPDX-License-Identifier: GPL-3.0-or-later
// The two songs as the game's module player will hear them (libxmp at its default settings), and the composer
// that writes them refusing a broken score.

#include <gtest/gtest.h>
#include <unistd.h>
#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int Rate = 44100;
constexpr int FullScale = 32767;

struct XmpFree {
  void operator()(char* ctx) const { xmp_free_context(ctx); }
};
using XmpContext = std::unique_ptr<char, XmpFree>;

struct SongCase {
  const char* file;
  int channels;
};

void PrintTo(const SongCase& c, std::ostream* os) { *os << c.file; }

class SongTest : public testing::TestWithParam<SongCase> {
 protected:
  void SetUp() override {
    ctx_.reset(xmp_create_context());
    const fs::path path = fs::path(GW_GAME_DIR) / "sound" / GetParam().file;
    ASSERT_EQ(xmp_load_module(ctx_.get(), path.string().c_str()), 0) << path;
    loaded_ = true;
    ASSERT_EQ(xmp_start_player(ctx_.get(), Rate, 0), 0);
    xmp_get_module_info(ctx_.get(), &info_);
  }
  void TearDown() override {
    if (!loaded_) return;
    xmp_end_player(ctx_.get());
    xmp_release_module(ctx_.get());
  }

  XmpContext ctx_;
  bool loaded_ = false;
  xmp_module_info info_{};
};

TEST_P(SongTest, LoadsWithItsChannelsAndAnOrderList) {
  const xmp_module& mod = *info_.mod;
  EXPECT_EQ(mod.chn, GetParam().channels);
  ASSERT_GT(mod.len, 0);
  EXPECT_LT(mod.rst, mod.len);
  for (int i = 0; i < mod.len; ++i) EXPECT_LT(mod.xxo[i], mod.pat) << "order entry " << i;
  EXPECT_GE(mod.ins, 4) << "melody, bass and drums need several instruments";
}

// Ten seconds from the start: clearly audible, and with headroom left for the sound effects on top.
TEST_P(SongTest, OpeningIsAudibleAndWellBelowFullScale) {
  std::vector<std::int16_t> pcm(static_cast<std::size_t>(Rate) * 2 * 10);
  ASSERT_EQ(xmp_play_buffer(ctx_.get(), pcm.data(), static_cast<int>(pcm.size() * 2), 0), 0);
  int peak = 0, atFullScale = 0;
  double energy = 0;
  for (std::int16_t s : pcm) {
    const int level = std::abs(static_cast<int>(s));
    peak = std::max(peak, level);
    atFullScale += level >= FullScale ? 1 : 0;
    energy += static_cast<double>(s) * s;
  }
  const double rms = std::sqrt(energy / static_cast<double>(pcm.size()));
  EXPECT_EQ(atFullScale, 0);
  EXPECT_LT(peak, FullScale / 2) << "peaks should stay below -6 dBFS";
  EXPECT_GT(rms, 500.0) << "about -36 dBFS: the opening must not be near silence";
}

// One pass through the order list: the looped part is long enough not to wear on the player, and the song does
// not trail off into silence before it wraps to the restart position.
TEST_P(SongTest, LoopsForAtLeastThirtySecondsWithoutASilentTail) {
  const int restart = info_.mod->rst;
  std::vector<std::int16_t> pcm;
  std::size_t loopStart = 0;
  bool reachedRestart = restart == 0;
  xmp_frame_info fi{};
  while (true) {
    ASSERT_EQ(xmp_play_frame(ctx_.get()), 0);
    xmp_get_frame_info(ctx_.get(), &fi);
    if (fi.loop_count > 0) break;
    if (!reachedRestart && fi.pos == restart) {
      reachedRestart = true;
      loopStart = pcm.size();
    }
    const auto* frame = static_cast<const std::int16_t*>(fi.buffer);
    pcm.insert(pcm.end(), frame, frame + fi.buffer_size / 2);
    ASSERT_LT(pcm.size(), static_cast<std::size_t>(Rate) * 2 * 600) << "the song never wrapped";
  }
  EXPECT_EQ(fi.pos, restart) << "after the last order entry playback resumes at the restart position";
  ASSERT_TRUE(reachedRestart);
  const double loopSeconds = static_cast<double>(pcm.size() - loopStart) / 2.0 / Rate;
  EXPECT_GE(loopSeconds, 30.0);
  EXPECT_GE(fi.total_time, 30000);

  const std::size_t lastSecond = static_cast<std::size_t>(Rate) * 2;
  ASSERT_GE(pcm.size(), lastSecond);
  double energy = 0;
  for (auto it = pcm.end() - static_cast<std::ptrdiff_t>(lastSecond); it != pcm.end(); ++it)
    energy += static_cast<double>(*it) * *it;
  EXPECT_GT(std::sqrt(energy / static_cast<double>(lastSecond)), 300.0) << "the last second before the wrap is silent";
}

INSTANTIATE_TEST_SUITE_P(SongsTest, SongTest, testing::Values(SongCase{"1.xm", 8}, SongCase{"2.xm", 8}),
                         [](const testing::TestParamInfo<SongCase>& p) { return p.index == 0 ? "Game" : "Menu"; });

// The composer on small scores of its own: one good score, and the same score with one line broken.
class SongsComposerTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("gw_songs_" + std::to_string(std::hash<std::string>{}(
                              testing::UnitTest::GetInstance()->current_test_info()->name())) + "_" +
            std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  struct Result {
    int status;
    std::string errors;
  };

  Result compose(const std::vector<std::string>& lines) const {
    {
      std::ofstream score(dir_ / "song.score");
      for (const std::string& l : lines) score << l << '\n';
    }
    const fs::path tool = fs::path(GW_GAME_DIR) / ".." / "tools" / "xm" / "gw_xmcompose";
    const std::string command = "'" + tool.string() + "' '" + (dir_ / "song.score").string() + "' '" +
                                output().string() + "' 2>'" + (dir_ / "errors.txt").string() + "'";
    const int status = std::system(command.c_str());
    std::ifstream err(dir_ / "errors.txt");
    return {status, std::string(std::istreambuf_iterator<char>(err), {})};
  }
  fs::path output() const { return dir_ / "song.xm"; }

  // Line 6 is the melody, line 7 the drums.
  const std::vector<std::string> good_ = {
      "title Test",                          // 1
      "channels 2",                          // 2
      "instrument lead square width=0.3",    // 3
      "instrument kick kick",                // 4
      "pattern A 8",                         // 5
      "1 lead: C-4 . E-4v40 . G-4 . ^ .",    // 6
      "2: [C-4@kick . . .]*2",               // 7
      "order A*2",                           // 8
  };
  fs::path dir_;
};

TEST_F(SongsComposerTest, GoodScoreBecomesAModuleLibxmpPlays) {
  const Result r = compose(good_);
  ASSERT_EQ(r.status, 0) << r.errors;
  XmpContext ctx(xmp_create_context());
  ASSERT_EQ(xmp_load_module(ctx.get(), output().string().c_str()), 0);
  xmp_module_info info{};
  xmp_get_module_info(ctx.get(), &info);
  EXPECT_EQ(info.mod->chn, 2);
  EXPECT_EQ(info.mod->len, 2);
  EXPECT_EQ(info.mod->ins, 2);
  EXPECT_EQ(info.mod->rst, 0);
  xmp_release_module(ctx.get());
  EXPECT_FALSE(fs::exists(dir_ / "song.xm.part")) << "the temporary file must be renamed away";
}

struct Broken {
  const char* what;
  std::size_t line;  // 1-based line of good_ replaced
  const char* text;
};

TEST_F(SongsComposerTest, BrokenScoreFailsAtItsLineAndLeavesNoModule) {
  const Broken cases[] = {
      {"unknown instrument", 6, "1 lead: C-4 . E-4@organ . G-4 . ^ ."},
      {"unknown channel instrument", 6, "1 organ: C-4 . E-4 . G-4 . ^ ."},
      {"bad note letter", 6, "1 lead: C-4 . H-4 . G-4 . ^ ."},
      {"no such sharp", 6, "1 lead: C-4 . E#4 . G-4 . ^ ."},
      {"octave out of range", 6, "1 lead: C-8 . E-4 . G-4 . ^ ."},
      {"volume above 64", 6, "1 lead: C-4 . E-4v65 . G-4 . ^ ."},
      {"bad effect", 6, "1 lead: C-4 . E-4!Z00 . G-4 . ^ ."},
      {"note without instrument", 6, "1: C-4 . E-4 . G-4 . ^ ."},
      {"too few rows", 7, "2: [C-4@kick . . .]*2 ^"},
      {"unknown voice", 3, "instrument lead theremin"},
      {"setting out of range", 3, "instrument lead square width=2"},
      {"unknown pattern", 8, "order A B"},
  };
  for (const Broken& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> lines = good_;
    lines[c.line - 1] = c.text;
    std::ofstream(output()) << "a module from an earlier, good score";
    const Result r = compose(lines);
    EXPECT_NE(r.status, 0);
    EXPECT_FALSE(fs::exists(output()));
    EXPECT_FALSE(fs::exists(dir_ / "song.xm.part"));
    EXPECT_NE(r.errors.find("song.score:" + std::to_string(c.line) + ":"), std::string::npos) << r.errors;
  }
}

}  // namespace
