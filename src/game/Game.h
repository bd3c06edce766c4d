#pragma once
// One game in progress: the level, the two scores and the phase of the level, the level clock and the
// score pop-up. The creature and the enemies hang off it.

#include <cstdint>
#include <memory>

#include "app/Random.h"
#include "audio/Sound.h"
#include "gfx/Font.h"
#include "gfx/ImageTables.h"
#include "platform/Clock.h"
#include "platform/Window.h"
#include "store/Options.h"
#include "ui/Progress.h"

namespace gw::game {

// What the game reaches outside itself.
struct GameHost {
  const gfx::ImageTables& images;
  gfx::GameFont& font;
  audio::Sound& sound;
  platform::Clock& clock;
  platform::Window& window;
  app::Random& random;
  const store::HiScoreTable& hiScores;
  const store::TOptions& options;
  std::int32_t& screenState;
};

enum Phase : std::uint8_t { LevelIntro = 0, Playing = 1, LevelEnd = 2, GameOver = 3 };

struct TGromUp {
  std::int16_t TongueLength = 0;
  bool TongueOut = false;
  bool Extending = false;
};
struct TGromEye {
  float Angle = 0;
  bool Held = false;
  std::uint8_t Sprite = 2;
};
struct TGromDown {
  bool Big = false;
};
struct TEnemyEngine {
  bool Moving = false;
};

class TScoresUp {
 public:
  void DoFrame(gfx::Surface& dst, gfx::GameFont& font);

  std::uint16_t Y = 0;
  std::int8_t Value = 0;
};

class TGame {
 public:
  explicit TGame(GameHost host);

  void DoFrame(gfx::Surface& dst);
  void Fire();

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
  void DrawIntroScreen(gfx::Surface& dst, int captionX, std::string_view caption);
  void DrawStatus(gfx::Surface& dst);

  GameHost host_;
};

}  // namespace gw::game
