// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/EffectData.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace gw::audio {
namespace {

struct Expected {
  std::string_view name;
  int maxPlayingCount;
  std::uint32_t sampleRate;
  std::uint32_t dataBytes;
};

constexpr Expected kBank[] = {
    {"Beep", 1, 22050, 139},    {"Level", 0, 22050, 44100}, {"Die", 0, 16000, 27999}, {"Ham1", 0, 22050, 9108},
    {"Ham2", 0, 22050, 14168},  {"Big", 0, 22050, 17204},   {"Small", 0, 22050, 17204},
};
constexpr int kBankSize = static_cast<int>(std::size(kBank));

// What a RIFF WAVE image says about itself.
struct Wave {
  std::uint16_t format = 0;
  std::uint16_t channels = 0;
  std::uint32_t sampleRate = 0;
  std::uint32_t byteRate = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
  std::span<const std::uint8_t> samples;
};

std::uint32_t Le(std::span<const std::uint8_t> bytes, std::size_t at, int width) {
  std::uint32_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | bytes[at + static_cast<std::size_t>(i)];
  return v;
}

std::string_view Tag(std::span<const std::uint8_t> bytes, std::size_t at) {
  return {reinterpret_cast<const char*>(bytes.data() + at), 4};
}

// Reads the image as a strict loader would: the RIFF size must cover the image exactly, and walking the chunks
// (each odd-sized one followed by its pad byte) must land exactly on the end.
testing::AssertionResult Parse(std::span<const std::uint8_t> image, Wave& wave) {
  if (image.size() < 12 || Tag(image, 0) != "RIFF" || Tag(image, 8) != "WAVE") {
    return testing::AssertionFailure() << "no RIFF WAVE header";
  }
  if (Le(image, 4, 4) != image.size() - 8) {
    return testing::AssertionFailure() << "RIFF size " << Le(image, 4, 4) << " for an image of " << image.size();
  }
  bool haveFormat = false;
  bool haveData = false;
  std::size_t at = 12;
  while (at < image.size()) {
    if (image.size() - at < 8) return testing::AssertionFailure() << "truncated chunk header at " << at;
    const std::string_view id = Tag(image, at);
    const std::uint32_t size = Le(image, at + 4, 4);
    const std::size_t body = at + 8;
    if (size + (size & 1u) > image.size() - body) {
      return testing::AssertionFailure() << "chunk '" << id << "' (with its pad) runs past the end";
    }
    if (id == "fmt ") {
      if (size < 16) return testing::AssertionFailure() << "short fmt chunk";
      wave.format = static_cast<std::uint16_t>(Le(image, body, 2));
      wave.channels = static_cast<std::uint16_t>(Le(image, body + 2, 2));
      wave.sampleRate = Le(image, body + 4, 4);
      wave.byteRate = Le(image, body + 8, 4);
      wave.blockAlign = static_cast<std::uint16_t>(Le(image, body + 12, 2));
      wave.bitsPerSample = static_cast<std::uint16_t>(Le(image, body + 14, 2));
      haveFormat = true;
    } else if (id == "data") {
      wave.samples = image.subspan(body, size);
      haveData = true;
    }
    at = body + size + (size & 1u);
  }
  if (!haveFormat || !haveData) return testing::AssertionFailure() << "missing fmt or data chunk";
  return testing::AssertionSuccess();
}

TEST(EffectData, BankHoldsTheSevenEffectsInOrder) {
  const auto bank = BuiltInEffects();
  ASSERT_EQ(bank.size(), std::size(kBank));
  for (std::size_t i = 0; i < bank.size(); ++i) {
    EXPECT_EQ(bank[i].name, kBank[i].name) << "index " << i;
    EXPECT_EQ(bank[i].maxPlayingCount, kBank[i].maxPlayingCount) << kBank[i].name;
  }
}

class EffectWave : public testing::TestWithParam<int> {
 protected:
  const Expected& Want() const { return kBank[GetParam()]; }
  std::span<const std::uint8_t> Image() const { return BuiltInEffects()[static_cast<std::size_t>(GetParam())].wave; }
};

TEST_P(EffectWave, IsEightBitMonoPcmOfTheExactLength) {
  Wave wave;
  ASSERT_TRUE(Parse(Image(), wave));
  EXPECT_EQ(wave.format, 1);
  EXPECT_EQ(wave.channels, 1);
  EXPECT_EQ(wave.bitsPerSample, 8);
  EXPECT_EQ(wave.blockAlign, 1);
  EXPECT_EQ(wave.sampleRate, Want().sampleRate);
  EXPECT_EQ(wave.byteRate, Want().sampleRate);
  EXPECT_EQ(wave.samples.size(), Want().dataBytes);
}

TEST_P(EffectWave, IsAudibleUnclippedAndSilentAtBothEnds) {
  Wave wave;
  ASSERT_TRUE(Parse(Image(), wave));
  ASSERT_FALSE(wave.samples.empty());
  const auto samples = wave.samples;
  EXPECT_LE(std::abs(samples.front() - 128), 2);
  EXPECT_LE(std::abs(samples.back() - 128), 2);
  const auto [lowest, highest] = std::minmax_element(samples.begin(), samples.end());
  EXPECT_GT(int{*lowest}, 0);
  EXPECT_LT(int{*highest}, 255);
  double energy = 0.0;
  for (const std::uint8_t s : samples) energy += (s - 128.0) * (s - 128.0);
  const double rms = std::sqrt(energy / static_cast<double>(samples.size()));
  EXPECT_GT(rms, 4.0) << "RMS " << rms << " of 128 is next to silence";
}

// The mixer itself must accept every image, and read exactly the data chunk: with the device at the effects'
// own format the loaded chunk is the sample bytes unchanged, and the one effect at another rate comes out
// resampled to the same duration.
class EffectMixer : public EffectWave {
 protected:
  static void SetUpTestSuite() {
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_U8, 1, 512), 0) << Mix_GetError();
  }
  static void TearDownTestSuite() {
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
};

struct ChunkFree {
  void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, ChunkFree>;

TEST_P(EffectMixer, LoadsTheImageFromMemory) {
  int rate = 0;
  Uint16 format = 0;
  int channels = 0;
  ASSERT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1);
  ASSERT_EQ(rate, 22050);
  ASSERT_EQ(format, AUDIO_U8);
  ASSERT_EQ(channels, 1);

  const auto image = Image();
  const ChunkPtr chunk(Mix_LoadWAV_RW(SDL_RWFromConstMem(image.data(), static_cast<int>(image.size())), 1));
  ASSERT_NE(chunk, nullptr) << Mix_GetError();

  Wave wave;
  ASSERT_TRUE(Parse(image, wave));
  if (Want().sampleRate == 22050) {
    ASSERT_EQ(chunk->alen, Want().dataBytes);
    EXPECT_TRUE(std::equal(wave.samples.begin(), wave.samples.end(), chunk->abuf));
  } else {
    const double expected = Want().dataBytes * 22050.0 / Want().sampleRate;
    EXPECT_NEAR(chunk->alen, expected, expected * 0.01);
  }
}

std::string EffectName(const testing::TestParamInfo<int>& info) { return std::string(kBank[info.param].name); }

INSTANTIATE_TEST_SUITE_P(Bank, EffectWave, testing::Range(0, kBankSize), EffectName);
INSTANTIATE_TEST_SUITE_P(Bank, EffectMixer, testing::Range(0, kBankSize), EffectName);

}  // namespace
}  // namespace gw::audio
