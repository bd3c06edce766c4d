// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One game in progress: the level, the two scores and the phase of the level, the creature, the enemies,
// the level clock and the score pop-up.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "audio/Sound.h"
#include "game/Creature.h"
#include "game/Enemies.h"
#include "game/Luck.h"
#include "game/Random.h"
#include "game/Recording.h"
#include "gfx/Font.h"
#include "gfx/ImageTables.h"
#include "platform/Clock.h"
#include "platform/Window.h"
#include "store/Options.h"
#include "ui/Progress.h"

namespace gw::game {

// What a rule's test may put in place of play's own time and luck, to set each rule's moment and each reseed's
// value directly. Live play and replays leave both empty: time is the frame count and reseeds come from the seed.
struct PlayOverrides {
  std::function<std::uint32_t()> tick;
  std::function<std::uint32_t()> reseed;
};

// What the game reaches outside itself.
struct GameHost {
  const gfx::ImageTables& images;
  gfx::GameFont& font;
  audio::Sound& sound;
  platform::Clock& clock;
  platform::Window& window;
  Random& random;
  const store::HiScoreTable& hiScores;
  const store::TOptions& options;
  std::int32_t& screenState;
  PlayOverrides overrides{};
};

enum Phase : std::uint8_t { LevelIntro = 0, Playing = 1, LevelEnd = 2, GameOver = 3 };

class TScoresUp {
 public:
  // The pop-up rises one row a frame from 400 while above 350; drawn into dst unless it is null.
  void DoFrame(gfx::Surface* dst, gfx::GameFont& font);

  std::uint16_t Y = 0;
  std::int8_t Value = 0;
};

class TGame {
 public:
  static constexpr int kFramesPerLevel = 1100;
  static constexpr int kTargetPerLevel = 150;
  static constexpr std::uint32_t kPhaseMs = 2000;
  // The last level: it repeats rather than wrapping round to level 0.
  static constexpr std::uint8_t kLastLevel = 255;
  // The level clock's largest value: from level 60 on the level lasts this many frames.
  static constexpr std::uint16_t kClockTop = 0xFFFF;

  // Hides the cursor; the first level's intro starts now.
  explicit TGame(GameHost host);

  // The seed the score server dealt for this game. Taken only before the game's first draw (its luck is not
  // decided before then); true when taken. A game that has none by then plays on its own luck.
  bool Deal(const Ticket& ticket);
  // The ticket dealt to the game in time; none for a game on its own luck.
  const std::optional<Ticket>& Dealt() const { return dealt_; }

  void DoFrame(gfx::Surface& dst) { Frame(&dst); }
  // The same frame, played to the same end, with nothing drawn: what checking a recorded game needs.
  void PlayFrame() { Frame(nullptr); }
  // The player fires (recorded as a mark of this frame).
  void Fire();
  // The player quits from the quit question: the game-over screen starts now.
  void Quit();
  std::uint8_t ChooseKind();
  void CheckCatches();
  std::int32_t Target() const { return Level * kTargetPerLevel; }

  // For the game's parts.
  const gfx::ImageTables& Images() const { return host_.images; }
  // The time of play: the frames run so far, as the clock's 1/64 s steps.
  std::uint32_t Now() const { return host_.overrides.tick ? host_.overrides.tick() : PlayTick(recorded_.Frames()); }
  // The generator's next seed from the game's stream; the first reseed decides the game's luck.
  void Reseed();
  std::uint32_t Random(std::uint32_t n) { return host_.random.Below(n); }

  // The player's marks so far, and the whole game as a recording of them.
  const RecordingWriter& Recorded() const { return recorded_; }
  Recording TakeRecording() const;
  std::uint32_t Frames() const { return recorded_.Frames(); }

  std::int32_t LevelFrames = 0;
  std::uint8_t Level = 1;
  TGromUp Up;
  TGromDown Down;
  TGromEye Eye;
  ui::TDDProgress Progress{0};
  TScoresUp ScoresUp;
  TEnemyEngine Enemies;
  std::int32_t LevelScore = 0;
  std::int32_t Score = 0;
  std::uint8_t Phase = LevelIntro;
  std::uint32_t FrameTick = 0;
  std::uint32_t PhaseStart = 0;

 private:
  void Frame(gfx::Surface* dst);
  void StartLevel();
  void Play(gfx::Surface* dst);
  void EndLevel();
  void Eat(std::size_t slot);
  void DrawIntroScreen(gfx::Surface& dst, int captionX, std::string_view caption);
  void DrawStatus(gfx::Surface& dst);
  // The lost game's total and the level it ended on, under the game-over caption and in the status plates.
  void DrawTotal(gfx::Surface& dst);

  GameHost host_;
  RecordingWriter recorded_;
  std::optional<Ticket> dealt_;
  std::optional<std::uint64_t> seed_;  // set at the first reseed, dealt or the game's own
  std::optional<LuckStream> luck_;
};

}  // namespace gw::game
