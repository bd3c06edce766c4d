// SPDX-License-Identifier: GPL-3.0-or-later
// The game's sound on the real SDL2_mixer and libxmp: the pool rule on real channels, the volume of each start,
// the focus rule, the latency of an effect, the balance of song and effects, and songs that cannot be loaded.
// Voices that must stay sounding run on the dummy driver in real time; output is recorded from the disk driver
// running flat out into /dev/null, so seconds of sound take milliseconds.

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "audio/MixerSound.h"
#include "platform/sdl/SdlMixer.h"
#include "platform/sdl/SoundSystem.h"
#include "platform/sdl/XmpSongs.h"
#include "support/Headless.h"
#include "support/Pcm.h"

namespace gw::platform::sdl {
namespace {

namespace fs = std::filesystem;
using audio::kLevel, audio::kDie, audio::kHam1, audio::kBig;

struct Sound {
  SdlMixer mixer{audio::BuiltInEffects()};
  XmpSongs songs{mixer};
  audio::MixerSound game{mixer, songs};
};

class RealTimeMixer : public testing::Test {
 protected:
  void SetUp() override {
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    sound_ = std::make_unique<Sound>();
  }
  std::unique_ptr<Sound> sound_;
};

// The pool rule itself is tested on stand-ins; here, what only the real mixer shows: each copy is a channel
// of its own that plays the one loaded chunk, and a channel that has ended counts as free.
TEST_F(RealTimeMixer, PoolsMapOntoChannelsThatShareTheLoadedSamples) {
  audio::MixerSound& game = sound_->game;
  for (int i = 0; i < 3; ++i) game.PlayEffect(kHam1);
  const std::vector<int> ham = game.Effects().Pool(kHam1);
  ASSERT_EQ(ham.size(), 3u);
  for (const int channel : ham) {
    EXPECT_TRUE(Mix_Playing(channel)) << channel;
    EXPECT_EQ(Mix_GetChunk(channel), sound_->mixer.Chunk(kHam1)) << "a copy plays the one loaded chunk";
  }
  EXPECT_EQ(sound_->mixer.Voices(), 3);

  Mix_HaltChannel(-1);  // every copy has ended
  game.PlayEffect(kHam1);
  EXPECT_TRUE(Mix_Playing(ham[0]));
  EXPECT_EQ(sound_->mixer.Voices(), 3) << "no channel is made while a copy is free";
}

TEST_F(RealTimeMixer, ACopyKeepsItsStartingVolumeAndTheNextStartIsSilent) {
  audio::MixerSound& game = sound_->game;
  game.PlayEffect(kLevel);
  const int first = game.Effects().Pool(kLevel)[0];
  game.SetEffectsOn(false);
  game.PlayEffect(kLevel);
  const int second = game.Effects().Pool(kLevel)[1];
  EXPECT_TRUE(Mix_Playing(first));
  EXPECT_EQ(Mix_Volume(first, -1), MixerVolume(audio::kFullVolume));
  EXPECT_GT(Mix_Volume(first, -1), 0);
  EXPECT_TRUE(Mix_Playing(second));
  EXPECT_EQ(Mix_Volume(second, -1), 0);
}

TEST_F(RealTimeMixer, EffectsAreHeardOnlyWhileTheWindowHasTheFocus) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  SDL_PushEvent(&e);
  EXPECT_EQ(Mix_MasterVolume(-1), 0);
  e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
  SDL_PushEvent(&e);
  EXPECT_EQ(Mix_MasterVolume(-1), MIX_MAX_VOLUME);
}

// The mixed output, buffer by buffer, as it leaves the mixer.
class Recorder {
 public:
  Recorder() { Mix_SetPostMix(&Recorder::Take, this); }
  ~Recorder() { Mix_SetPostMix(nullptr, nullptr); }

  std::size_t Buffers() {
    const std::lock_guard guard(lock_);
    return peaks_.size();
  }
  // Waits for the mixer to hand over `count` buffers in all; fails rather than hang.
  testing::AssertionResult WaitFor(std::size_t count) {
    std::unique_lock guard(lock_);
    if (!done_.wait_for(guard, std::chrono::seconds(20), [&] { return peaks_.size() >= count; })) {
      return testing::AssertionFailure() << "the mixer delivered only " << peaks_.size() << " buffers";
    }
    return testing::AssertionSuccess();
  }
  int Peak(std::size_t buffer) {
    const std::lock_guard guard(lock_);
    return peaks_.at(buffer);
  }
  // Keeps the samples from now on.
  void Keep() {
    const std::lock_guard guard(lock_);
    samples_.clear();
    keep_ = true;
  }
  std::vector<std::int16_t> Samples() {
    const std::lock_guard guard(lock_);
    return samples_;
  }

 private:
  static void SDLCALL Take(void* self, Uint8* stream, int bytes) {
    auto& r = *static_cast<Recorder*>(self);
    const auto* pcm = reinterpret_cast<const std::int16_t*>(stream);
    const std::size_t count = static_cast<std::size_t>(bytes) / 2;
    int peak = 0;
    for (std::size_t i = 0; i < count; ++i) peak = std::max(peak, std::abs(static_cast<int>(pcm[i])));
    const std::lock_guard guard(r.lock_);
    if (r.keep_) r.samples_.insert(r.samples_.end(), pcm, pcm + count);
    r.peaks_.push_back(peak);
    r.done_.notify_all();
  }

  std::mutex lock_;
  std::condition_variable done_;
  std::vector<int> peaks_;
  std::vector<std::int16_t> samples_;
  bool keep_ = false;
};

constexpr std::size_t kBufferSamples = static_cast<std::size_t>(kMixBufferFrames) * kMixChannels;

double Rms(const std::vector<std::int16_t>& pcm) {
  double energy = 0;
  for (const std::int16_t s : pcm) energy += static_cast<double>(s) * s;
  return pcm.empty() ? 0.0 : std::sqrt(energy / static_cast<double>(pcm.size()));
}

class RecordedMixer : public testing::Test {
 protected:
  void SetUp() override {
    SDL_setenv("SDL_AUDIODRIVER", "disk", 1);
    SDL_setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    SDL_setenv("SDL_DISKAUDIODELAY", "0", 1);
    sound_ = std::make_unique<Sound>();
    recorder_ = std::make_unique<Recorder>();
    fs::create_directories("sound");
  }
  void TearDown() override {
    recorder_.reset();
    sound_.reset();
  }
  static void CopySong(const char* from, const char* to) {
    fs::copy_file(fs::path(GW_GAME_DIR) / "sound" / from, fs::path("sound") / to);
  }
  // Records `seconds` of output from now, doing `then` as soon as the recording runs.
  template <typename Then = void (*)()>
  std::vector<std::int16_t> Record(double seconds, Then then = [] {}) {
    recorder_->Keep();
    then();
    const std::size_t buffers = static_cast<std::size_t>(std::ceil(seconds * kMixRate / kMixBufferFrames));
    EXPECT_TRUE(recorder_->WaitFor(recorder_->Buffers() + buffers + 1));
    std::vector<std::int16_t> pcm = recorder_->Samples();
    pcm.resize(std::min(pcm.size(), buffers * kBufferSamples));
    return pcm;
  }

  test::TempFolder folder_;
  std::unique_ptr<Sound> sound_;
  std::unique_ptr<Recorder> recorder_;
};

TEST_F(RecordedMixer, AnEffectLeavesTheMixerInTheFirstBufferAfterTheCall) {
  int rate = 0, channels = 0;
  Uint16 format = 0;
  ASSERT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1);
  EXPECT_EQ(rate, kMixRate);
  EXPECT_EQ(channels, kMixChannels);
  const double bufferMs = 1000.0 * kMixBufferFrames / kMixRate;
  EXPECT_GE(bufferMs, 10.0);
  EXPECT_LE(bufferMs, 25.0);

  for (int round = 0; round < 5; ++round) {
    ASSERT_TRUE(recorder_->WaitFor(recorder_->Buffers() + 2));
    Mix_HaltChannel(-1);
    const std::size_t before = recorder_->Buffers();
    ASSERT_TRUE(recorder_->WaitFor(before + 1));
    ASSERT_EQ(recorder_->Peak(before), 0) << "nothing sounds before the call";
    sound_->game.PlayEffect(kLevel);
    const std::size_t after = recorder_->Buffers();
    ASSERT_TRUE(recorder_->WaitFor(after + 1));
    // Every buffer that began after the call carries it: at most one buffer of latency.
    EXPECT_GT(recorder_->Peak(after), 0) << "round " << round;
  }
}

double Db(double level) { return 20.0 * std::log10(std::max(level, 1e-9) / 32768.0); }

// The RMS of the loudest tenth of a second: how loud a short sound strikes the ear.
double Busiest(const std::vector<std::int16_t>& pcm) {
  const std::size_t window = kMixRate / 10 * kMixChannels;
  double best = 0;
  for (std::size_t at = 0; at + window <= pcm.size(); at += window / 4) {
    best = std::max(best, Rms(std::vector<std::int16_t>(pcm.begin() + static_cast<std::ptrdiff_t>(at),
                                                        pcm.begin() + static_cast<std::ptrdiff_t>(at + window))));
  }
  return best;
}

using test::Peak;

// The levels a player hears: both songs near -20 dBFS, each effect over them by its part, and the loudest
// moment imaginable, the game song with every effect at once, peaking no higher than -1 dBFS.
TEST_F(RecordedMixer, SongsAndEffectsAreBalancedAndTheLoudestMomentStaysUnderFullScale) {
  CopySong("1.xm", "1.xm");
  CopySong("2.xm", "2.xm");
  sound_->game.PlaySong("2.xm");
  const double menu = Rms(Record(10.0));
  sound_->game.PlaySong("1.xm");
  const double game = Rms(Record(10.0));
  EXPECT_NEAR(Db(menu), -20.0, 2.0);
  EXPECT_NEAR(Db(game), -20.0, 2.0);

  sound_->game.StopSong();
  struct Part {
    int effect;
    double least, most;  // dB over the game song
  };
  // The chomps stand clearly out; the jingle, the whoops and the sad phrase are heard without jumping out.
  for (const Part part : {Part{audio::kHam1, 4.0, 8.0}, Part{audio::kHam2, 4.0, 8.0}, Part{kLevel, 3.0, 8.0},
                          Part{kDie, 3.0, 8.0}, Part{kBig, 3.0, 8.0}, Part{audio::kSmall, 3.0, 8.0}}) {
    Mix_HaltChannel(-1);  // each effect on its own
    const std::vector<std::int16_t> pcm = Record(0.8, [&] { sound_->game.PlayEffect(part.effect); });
    const double over = Db(Busiest(pcm)) - Db(game);
    EXPECT_GE(over, part.least) << "effect " << part.effect;
    EXPECT_LE(over, part.most) << "effect " << part.effect;
  }

  sound_->game.PlaySong("1.xm");
  const std::vector<std::int16_t> loud = Record(2.0, [&] {
    for (int effect = audio::kBeep; effect <= audio::kSmall; ++effect) sound_->game.PlayEffect(effect);
  });
  EXPECT_LE(Peak(loud), static_cast<int>(kOutputCeiling));
  EXPECT_GT(Db(Peak(loud)), -3.0) << "the loudest moment is loud";
}

// A song that stops fades out in a few milliseconds instead of being cut off mid-wave.
TEST_F(RecordedMixer, AStoppedSongFadesOutWithinMilliseconds) {
  CopySong("1.xm", "1.xm");
  sound_->game.PlaySong("1.xm");
  recorder_->Keep();
  ASSERT_TRUE(recorder_->WaitFor(recorder_->Buffers() + 40));
  const std::size_t stoppedAt = recorder_->Samples().size();
  sound_->game.StopSong();
  // Output that has left the mixer by now: at most one more buffer can have been begun before the stop.
  const std::size_t stoppedBy = recorder_->Samples().size();
  ASSERT_TRUE(recorder_->WaitFor(recorder_->Buffers() + 10));
  const std::vector<std::int16_t> pcm = recorder_->Samples();

  const auto last = std::find_if(pcm.rbegin(), pcm.rend(), [](std::int16_t s) { return s != 0; });
  ASSERT_NE(last, pcm.rend());
  const auto end = static_cast<std::size_t>(pcm.rend() - last);  // one past the last sound
  ASSERT_GT(end, 2 * kBufferSamples);
  // From the buffer after the stop (allowing the one in flight), no longer than the fade.
  EXPECT_LE(end, stoppedBy + kBufferSamples + kSongFadeFrames * kMixChannels);
  const double song =
      Rms(std::vector<std::int16_t>(pcm.begin(), pcm.begin() + static_cast<std::ptrdiff_t>(stoppedAt)));
  // The last millisecond is nearly silent: the fade, not a cut.
  const std::size_t ms = kMixRate / 1000 * kMixChannels;
  const int tail = Peak(std::vector<std::int16_t>(pcm.begin() + static_cast<std::ptrdiff_t>(end - ms),
                                                  pcm.begin() + static_cast<std::ptrdiff_t>(end)));
  EXPECT_GT(song, 1000.0);
  EXPECT_LT(tail, 0.2 * song) << "song RMS " << song;
}

TEST_F(RecordedMixer, SongsThatCannotBeLoadedAreSilentAndTheNextPlayTriesAgain) {
  CopySong("1.xm", "1.xm");
  {
    std::ofstream broken("sound/2.xm", std::ios::binary);
    broken << "Extended Module: but nothing of one after this";
  }
  audio::MixerSound& game = sound_->game;
  game.PlaySong("2.xm");
  EXPECT_EQ(game.Songs().Song(), 0u);
  EXPECT_EQ(sound_->songs.Playing(), 0u);
  game.PlaySong("missing.xm");
  EXPECT_EQ(game.Songs().Song(), 0u);
  const std::vector<std::int16_t> menus = Record(0.5);
  EXPECT_EQ(Rms(menus), 0.0) << "the menus are silent without their song";

  game.PlaySong("1.xm");  // a new game still has its song
  EXPECT_NE(sound_->songs.Playing(), 0u);
  EXPECT_GT(Rms(Record(2.0)), 300.0);

  fs::remove("sound/2.xm");
  CopySong("2.xm", "2.xm");
  game.PlaySong("2.xm");
  EXPECT_NE(game.Songs().Song(), 0u) << "the repaired file plays";
  EXPECT_EQ(sound_->songs.Loaded(), 1u) << "the game song was freed";
}

TEST_F(RecordedMixer, ASongFolderThatIsAFileGivesSilence) {
  fs::remove("sound");
  { std::ofstream file("sound"); }
  sound_->game.PlaySong("1.xm");
  EXPECT_EQ(sound_->game.Songs().Song(), 0u);
  EXPECT_EQ(Rms(Record(0.2)), 0.0);
}

TEST_F(RecordedMixer, ASongPlaysOnPastItsEnd) {
  CopySong("2.xm", "2.xm");
  sound_->game.PlaySong("2.xm");
  const std::vector<std::int16_t> pcm = Record(150.0);
  // The last ten seconds, well past the end of the order list, still sound.
  const std::vector<std::int16_t> tail(pcm.end() - kMixRate * kMixChannels * 10, pcm.end());
  EXPECT_GT(Rms(tail), 300.0);
}

}  // namespace
}  // namespace gw::platform::sdl

namespace gw::platform::sdl {
namespace {

// No device, or the dummy driver that plays into nothing: a silent game, said once on stderr. ALSA on a machine
// without a sound card is the case players meet; where a card exists it opens, and says nothing at all.
TEST(SoundSystem, WithoutADeviceTheGameIsSilentAndSaysSoOnce) {
  for (const char* driver : {"dummy", "no-such-driver", "alsa"}) {
    SDL_setenv("SDL_AUDIODRIVER", driver, 1);
    testing::internal::CaptureStderr();
    bool opened = false;
    {
      SoundSystem system;
      opened = system.HasDevice();
      EXPECT_TRUE(!opened || std::string_view(driver) == "alsa") << driver;
      audio::Sound& sound = system.Sound();
      sound.PlaySong("1.xm");
      for (int i = 0; i < 10; ++i) sound.PlayEffect(audio::kBeep);
      sound.SetEffectsOn(false);
      sound.StopSong();
    }
    const std::string said = testing::internal::GetCapturedStderr();
    if (opened) {
      EXPECT_EQ(said, "") << driver;
      continue;
    }
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << driver << ": " << said;
    EXPECT_NE(said.find("silence"), std::string::npos) << said;
  }
}

}  // namespace
}  // namespace gw::platform::sdl
