// SPDX-License-Identifier: GPL-3.0-or-later
// What the sound costs: the mixer's own thread mixing one second of output with the game song and four effects
// sounding. The disk driver runs flat out into /dev/null, and the time counted is the mixing thread's CPU time,
// so the figure is the share of one core that a second of sound takes.

#include <SDL.h>
#include <SDL_mixer.h>
#include <benchmark/benchmark.h>
#include <time.h>

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>

#include "audio/MixerSound.h"
#include "platform/sdl/SdlMixer.h"
#include "platform/sdl/XmpSongs.h"
#include "support/Headless.h"

namespace {

using namespace gw;

std::int64_t ThreadCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// Frames mixed so far and the mixing thread's CPU time when the last of them was done.
class MixMeter {
 public:
  MixMeter() { Mix_SetPostMix(&MixMeter::Count, this); }
  ~MixMeter() { Mix_SetPostMix(nullptr, nullptr); }
  std::pair<std::int64_t, std::int64_t> WaitPast(std::int64_t frames) {
    std::unique_lock guard(lock_);
    more_.wait(guard, [&] { return frames_ > frames; });
    return {frames_, cpuNs_};
  }

 private:
  static void SDLCALL Count(void* self, Uint8*, int bytes) {
    auto& m = *static_cast<MixMeter*>(self);
    const std::int64_t cpu = ThreadCpuNs();
    const std::lock_guard guard(m.lock_);
    m.frames_ += bytes / 4;
    m.cpuNs_ = cpu;
    m.more_.notify_all();
  }
  std::mutex lock_;
  std::condition_variable more_;
  std::int64_t frames_ = 0;
  std::int64_t cpuNs_ = 0;
};

void BM_MixOneSecondOfSongAndFourEffects(benchmark::State& state) {
  SDL_setenv("SDL_AUDIODRIVER", "disk", 1);
  SDL_setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  SDL_setenv("SDL_DISKAUDIODELAY", "0", 1);
  test::TempFolder folder;
  std::filesystem::create_directories("sound");
  std::filesystem::copy_file(std::filesystem::path(GW_GAME_DIR) / "sound" / "1.xm", "sound/1.xm");
  platform::sdl::SdlMixer mixer(audio::BuiltInEffects());
  platform::sdl::XmpSongs songs(mixer);
  audio::MixerSound sound(mixer, songs);
  MixMeter meter;
  sound.PlaySong("1.xm");
  for (auto _ : state) {
    Mix_HaltChannel(-1);
    // The two longest effects twice over: four sound for the whole second.
    for (const int effect : {audio::kLevel, audio::kDie, audio::kLevel, audio::kDie}) sound.PlayEffect(effect);
    const auto [frames0, cpu0] = meter.WaitPast(0);
    const auto [frames1, cpu1] = meter.WaitPast(frames0 + platform::sdl::kMixRate - 1);
    const double audioSeconds = static_cast<double>(frames1 - frames0) / platform::sdl::kMixRate;
    state.SetIterationTime(static_cast<double>(cpu1 - cpu0) / 1e9 / audioSeconds);
  }
}
BENCHMARK(BM_MixOneSecondOfSongAndFourEffects)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
