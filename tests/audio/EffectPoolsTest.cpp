// SPDX-License-Identifier: GPL-3.0-or-later
// The play rule of the effect bank and the one-song rule, over stand-ins for the mixer and the module player
// whose voices end when the test says so.

#include "audio/EffectPools.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "audio/Music.h"
#include "audio/Sound.h"

namespace gw::audio {
namespace {

class FakeVoices final : public EffectVoices {
 public:
  int AddVoice() override {
    if (refuse) return -1;
    return made++;
  }
  bool IsPlaying(int voice) override { return playing.count(voice) != 0; }
  void Start(int voice, int effect, int volume) override {
    playing.insert(voice);
    starts.push_back({voice, effect, volume});
  }
  void EndAll() { playing.clear(); }

  struct StartCall {
    int voice, effect, volume;
  };
  int made = 0;
  bool refuse = false;
  std::set<int> playing;
  std::vector<StartCall> starts;
};

class EffectPoolsTest : public testing::Test {
 protected:
  FakeVoices voices;
  EffectPools pools{voices, MaxPlayingCounts(BuiltInEffects())};
};

TEST_F(EffectPoolsTest, TwoQuickBeepsUseOneCopyAndTheSecondCutsIn) {
  pools.PlayEffect(kBeep);
  pools.PlayEffect(kBeep);
  EXPECT_EQ(pools.Pool(kBeep).size(), 1u);
  ASSERT_EQ(voices.starts.size(), 2u);
  EXPECT_EQ(voices.starts[1].voice, voices.starts[0].voice) << "the sounding beep is restarted";
}

TEST_F(EffectPoolsTest, OverlappingPlaysGrowThePoolAndSilentCopiesAreReusedOldestFirst) {
  for (int i = 0; i < 3; ++i) pools.PlayEffect(kHam1);
  const std::vector<int> three = pools.Pool(kHam1);
  ASSERT_EQ(three.size(), 3u);
  EXPECT_EQ(std::set<int>(three.begin(), three.end()).size(), 3u) << "three distinct copies";

  voices.EndAll();
  pools.PlayEffect(kHam1);
  EXPECT_EQ(pools.Pool(kHam1), three) << "never shrunk, never grown when a copy is free";
  EXPECT_EQ(voices.starts.back().voice, three[0]) << "the first-made copy is the oldest silent one";

  // Only the first copy sounds now: the next play takes the second, then a new fourth is made.
  pools.PlayEffect(kHam1);
  EXPECT_EQ(voices.starts.back().voice, three[1]);
  pools.PlayEffect(kHam1);
  pools.PlayEffect(kHam1);
  EXPECT_EQ(pools.Pool(kHam1).size(), 4u);
}

TEST_F(EffectPoolsTest, EachEffectKeepsItsOwnPool) {
  pools.PlayEffect(kHam1);
  pools.PlayEffect(kHam2);
  pools.PlayEffect(kLevel);
  EXPECT_EQ(pools.Pool(kHam1).size(), 1u);
  EXPECT_EQ(pools.Pool(kHam2).size(), 1u);
  EXPECT_NE(pools.Pool(kHam1)[0], pools.Pool(kHam2)[0]);
  EXPECT_EQ(voices.starts[2].effect, kLevel);
}

TEST_F(EffectPoolsTest, SoundOffSilencesTheNextStartOnly) {
  pools.PlayEffect(kLevel);
  pools.SetVolume(kSilentVolume);
  pools.PlayEffect(kLevel);
  ASSERT_EQ(voices.starts.size(), 2u);
  EXPECT_EQ(voices.starts[0].volume, kFullVolume);
  EXPECT_EQ(voices.starts[1].volume, kSilentVolume);
  EXPECT_NE(voices.starts[1].voice, voices.starts[0].voice) << "the sounding copy is left to play out";
  pools.SetVolume(kFullVolume);
  pools.PlayEffect(kLevel);
  EXPECT_EQ(voices.starts[2].volume, kFullVolume);
}

TEST_F(EffectPoolsTest, ARefusedVoiceOrAnUnknownEffectPlaysNothing) {
  voices.refuse = true;
  pools.PlayEffect(kDie);
  pools.PlayEffect(-1);
  pools.PlayEffect(7);
  EXPECT_TRUE(voices.starts.empty());
  EXPECT_TRUE(pools.Pool(kDie).empty());
  voices.refuse = false;
  pools.PlayEffect(kDie);
  EXPECT_EQ(pools.Pool(kDie).size(), 1u);
}

class RecordingPlayer final : public ModulePlayer {
 public:
  SongHandle SongLoadFromFile(const std::string& path) override {
    calls.push_back("load " + path);
    return loadable.count(path) ? ++next : 0;
  }
  void SongPlay(SongHandle song) override { calls.push_back("play " + std::to_string(song)); }
  void SongFree(SongHandle song) override { calls.push_back("free " + std::to_string(song)); }
  int SongGetOrder(SongHandle) override { return 0; }

  std::set<std::string> loadable{"sound/1.xm", "sound/2.xm"};
  std::vector<std::string> calls;
  SongHandle next = 0;
};

TEST(Music, ASongAskedForAgainIsFreedAndRestartedAndStopFreesIt) {
  RecordingPlayer player;
  {
    Music music(player);
    music.PlaySong("2.xm");
    music.PlaySong("2.xm");
    music.StopSong();
    music.StopSong();
    EXPECT_EQ(music.Song(), 0u);
    music.PlaySong("1.xm");
  }
  const std::vector<std::string> expected = {"load sound/2.xm", "play 1", "free 1", "load sound/2.xm", "play 2",
                                             "free 2", "load sound/1.xm", "play 3", "free 3"};
  EXPECT_EQ(player.calls, expected) << "the last song is freed with the player";
}

TEST(Music, AMissingSongIsSilentAndTheNextCallTriesAgain) {
  RecordingPlayer player;
  player.loadable = {"sound/1.xm"};
  Music music(player);
  music.PlaySong("1.xm");
  music.PlaySong("2.xm");
  EXPECT_EQ(music.Song(), 0u);
  player.loadable.insert("sound/2.xm");
  music.PlaySong("2.xm");
  EXPECT_NE(music.Song(), 0u);
  const std::vector<std::string> expected = {"load sound/1.xm", "play 1", "free 1", "load sound/2.xm",
                                             "load sound/2.xm", "play 2"};
  EXPECT_EQ(player.calls, expected);
}

}  // namespace
}  // namespace gw::audio
