// SPDX-License-Identifier: GPL-3.0-or-later
// The frame loop: at most one frame per 6 ms, each cleared, drawn for the current screen and presented.

#include <algorithm>
#include <string>
#include <vector>

#include "app/Form.h"
#include "app/FrameGate.h"
#include "gfx/Cp1251.h"
#include "gfx/Draw.h"

namespace gw::app {

namespace {

constexpr std::int32_t kSplashStep = 256;
constexpr std::int32_t kSplashEnd = 0xFF33;
constexpr std::uint32_t kSplashHoldMs = 2500;
constexpr int kDialogX = 210, kDialogY = 200;

// Help pages by state; pages 4 and 5 sit in the table the other way round.
const gfx::Surface* HelpPage(const gfx::ImageTables& images, std::int32_t state) {
  switch (state) {
    case screen::kHelpPage1: return images.Screen(24);
    case screen::kHelpPage2: return images.Screen(25);
    case screen::kHelpPage3: return images.Screen(26);
    case screen::kHelpPage4: return images.Screen(28);
    default: return images.Screen(27);
  }
}

// A row of dots on the question box's answer bar, lit one after another while a score is being sent, so the
// player sees that the game is at work (the wait screen is drawn again and again until the exchange ends).
void DrawWaitSign(gfx::Surface& dst, std::uint32_t tick) {
  constexpr int kDots = 7, kStep = 28, kCentreX = kDialogX + 215, kCentreY = kDialogY + 160;
  constexpr std::uint32_t kStepMs = 125;
  const int lit = static_cast<int>(tick / kStepMs % kDots);
  for (int i = 0; i < kDots; ++i) {
    const int cx = kCentreX + (i - kDots / 2) * kStep;
    const int r = i == lit ? 8 : 5;
    gfx::FillRoundRect({cx - r, kCentreY - r, cx + r, kCentreY + r}, r,
                       i == lit ? gfx::Rgb(255, 159, 28) : gfx::Rgb(107, 74, 46), dst);
  }
}

}  // namespace

std::vector<std::string> DamagedFileNotice(const Program& program) {
  const bool leftInPlace = program.DamagedKeptAs == program.Config.file;
  if (!leftInPlace) return {"Файл рекордов испорчен!", "Он сохранён как", program.DamagedKeptAs.filename().string()};
  // The table was to go under another name beside it, and that write failed too.
  if (program.SavesFail) return {"Файл рекордов испорчен!", "Он оставлен как есть,", "рекорды не сохраняются."};
  return {"Файл рекордов испорчен!", "Он оставлен как есть,", "рекорды пишутся в",
          program.ConfigFile.filename().string()};
}

// A deeper green than the game's own below the top row, so the names read on the table's darker rows too.
gfx::Pixel HiScoreRowColour(int row) { return row == 0 ? gfx::Rgb(0, 208, 0) : gfx::Rgb(0, 112, 0); }

bool MainForm::RunFrame() {
  FrameStartTick = s_.clock.TickCount();
  s_.sound.PollSong();
  if (!FrameDue(FrameStartTick, LastFrameEndTick)) return false;
  if (gfx::Failed(display_.ClearBackBuffer())) display_.RestoreSurfaces([this] { LoadAllImages(); });
  // The damaged-file notice has been on the table screen, which is now left: it has been read.
  if (p_.ScreenState != screen::kHiScores) {
    if (p_.DamagedToldOnce) p_.DamagedKeptAs.clear();
    p_.NoOnlineRecordsAsked = false;
    p_.ScoreKeptHereOnly = false;
  }
  DrawScreen(display_.BackBuffer());
  display_.PresentFrame();
  LastFrameEndTick = s_.clock.TickCount();
  return true;
}

void MainForm::DrawGuarded(gfx::Surface& dst, const gfx::Surface* picture) {
  if (gfx::Failed(gfx::DrawPicture(dst, 0, 0, picture))) display_.RestoreSurfaces([this] { LoadAllImages(); });
}

void MainForm::DrawDialogOver(gfx::Surface& dst, const gfx::Surface* background) {
  DrawGuarded(dst, background);
  gfx::DrawPicture(dst, kDialogX, kDialogY, p_.Images.Screen(19));
}

void MainForm::DrawDialogText(gfx::Surface& dst, int x, int y, int h, int w, const char* utf8, gfx::Pixel colour) {
  gfx::DrawShadowText(s_.font, x, y, h, w, gfx::ToCp1251(utf8), dst, colour);
}

void MainForm::DrawTableNotice(gfx::Surface& dst) {
  constexpr int kX = 522, kY = 212, kLineGap = 24;
  // Night blue under the red letters (5.3:1), rimmed in the answer plate's orange.
  constexpr gfx::Pixel kNoteFace = gfx::Rgb(24, 28, 64), kNoteRim = gfx::Rgb(255, 159, 28);
  if (p_.NoOnlineRecordsAsked) {
    DrawDialogText(dst, kX, kY, 20, 10, "Рекордов в сети нет:", kTableWarningColour);
    DrawDialogText(dst, kX, kY + kLineGap, 20, 10, "сервер не выбран.", kTableWarningColour);
    return;
  }
  if (!p_.DamagedKeptAs.empty()) {
    // The table the player sees is not the one they had: say why, and where the old file is, once.
    p_.DamagedToldOnce = true;
    const std::vector<std::string> lines = DamagedFileNotice(p_);
    const auto lineY = [](std::size_t i) { return kY + kLineGap * static_cast<int>(i); };
    // Three or four lines reach down over the trophy: they stand on a dark note of their own, so they read and
    // the picture behind does not show through the letters.
    gfx::Rect note{kX, kY, kX, kY};
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const gfx::Rect ink = gfx::ShadowTextInk(s_.font, kX, lineY(i), 20, 10, gfx::ToCp1251(lines[i]));
      note = {note.left, note.top, std::max(note.right, ink.right), std::max(note.bottom, ink.bottom)};
    }
    constexpr int kMargin = 6;
    const gfx::Rect plate{note.left - kMargin, note.top - kMargin, note.right + kMargin, note.bottom + kMargin};
    gfx::FillRoundRect(plate, 8, kNoteRim, dst);
    gfx::FillRoundRect({plate.left + 2, plate.top + 2, plate.right - 2, plate.bottom - 2}, 6, kNoteFace, dst);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      DrawDialogText(dst, kX, lineY(i), 20, 10, lines[i].c_str(), gfx::kRed);
    }
    return;
  }
  // Otherwise the table would look kept when it is lost at the end of the run.
  if (p_.SavesFail) {
    DrawDialogText(dst, kX, kY, 20, 10, "Рекорды не сохраняются!", kTableWarningColour);
    return;
  }
  // With no score server the player is never asked to send it, and might think it went online.
  if (p_.ScoreKeptHereOnly) {
    DrawDialogText(dst, kX, kY, 20, 10, "Рекорд сохранён только", kTableWarningColour);
    DrawDialogText(dst, kX, kY + kLineGap, 20, 10, "на этом компьютере.", kTableWarningColour);
  }
}

void MainForm::DrawGameStatus(gfx::Surface& dst) {
  if (!p_.Game) return;
  gfx::DrawShadowText(s_.font, 145, 542, 24, 14, std::to_string(p_.Game->Level), dst, gfx::kYellow);
  gfx::DrawShadowText(s_.font, 145, 572, 24, 14, std::to_string(p_.Game->Score), dst,
                      p_.Game->Score < 0 ? gfx::kRed : gfx::kYellow);
}

void MainForm::DrawScreen(gfx::Surface& dst) {
  const gfx::ImageTables& images = p_.Images;
  ui::Controls& c = p_.Controls;
  const ui::UiContext ui = Ui();
  switch (p_.ScreenState) {
    case screen::kSplash: {
      const auto green = static_cast<gfx::Pixel>(p_.SplashColour);  // 0x00GG00 in either byte order
      DrawDialogText(dst, 220, 250, 48, 36, "Tavlorin", green);
      DrawDialogText(dst, 225, 300, 36, 28, "ПРЕДСТАВЛЯЕТ", green);
      p_.SplashColour += kSplashStep;
      if (static_cast<std::uint32_t>(p_.SplashColour) >= static_cast<std::uint32_t>(kSplashEnd)) {
        s_.clock.Sleep(kSplashHoldMs);
        p_.ScreenState = screen::kMenu;
      }
      break;
    }
    case screen::kMenu:
      DrawGuarded(dst, images.Screen(0));
      if (c.MainMenu) c.MainMenu->Draw(dst, ui);
      break;
    case screen::kInGame:
      DrawGuarded(dst, images.Screen(22));
      if (p_.Game) {
        DealTicket();
        p_.Game->DoFrame(dst);
        if (p_.ScreenState == screen::kNameEntry) OpenNameEntry();
        const bool eyeKeys = s_.window.IsLetterKeyDown('Z') && s_.window.IsLetterKeyDown('Y') &&
                             s_.window.IsLetterKeyDown('F');
        p_.Game->Eye.Sprite = eyeKeys ? 16 : 2;
      }
      break;
    case screen::kOptions:
      gfx::DrawPicture(dst, 0, 0, images.Screen(0));
      gfx::DrawPicture(dst, 29, 156, images.Screen(7));
      if (c.OptionButtons) c.OptionButtons->Draw(dst, ui);
      break;
    case screen::kHiScores:
      gfx::DrawPicture(dst, 0, 0, images.Screen(0));
      gfx::DrawPicture(dst, 29, 156, images.Screen(10));
      if (c.HiScoreButtons) c.HiScoreButtons->Draw(dst, ui);
      DrawHiScores(dst);
      DrawTableNotice(dst);
      break;
    case screen::kHelpPage1:
    case screen::kHelpPage2:
    case screen::kHelpPage3:
    case screen::kHelpPage4:
    case screen::kHelpPage5:
      gfx::DrawPicture(dst, 0, 0, images.Screen(0));
      gfx::DrawPicture(dst, 29, 156, images.Screen(13));
      gfx::DrawPicture(dst, 29, 207, HelpPage(images, p_.ScreenState));
      if (c.HelpButtons) c.HelpButtons->Draw(dst, ui);
      break;
    case screen::kQuitConfirm:
      DrawDialogOver(dst, images.Screen(0));
      DrawDialogText(dst, 250, 260, 32, 20, "Выйти из игры?", gfx::kYellow);
      if (c.YesNoButtons) c.YesNoButtons->Draw(dst, ui);
      break;
    case screen::kClearConfirm:
      dst.BltFast(0, 0, display_.Snapshot(), nullptr, gfx::kBltFastWait);
      gfx::DrawPicture(dst, kDialogX, kDialogY, images.Screen(19));
      DrawDialogText(dst, 250, 250, 24, 16, "Очистить рекорды?", gfx::kYellow);
      if (c.OkCancelButtons) c.OkCancelButtons->Draw(dst, ui);
      break;
    case screen::kPause:
      DrawGuarded(dst, &display_.Snapshot());
      DrawDialogText(dst, 350, 300, 32, 20, "Пауза", gfx::kYellow);
      break;
    case screen::kNameEntry:
      DrawDialogOver(dst, images.Screen(22));
      if (c.OkCancelButtons) c.OkCancelButtons->Draw(dst, ui);
      if (p_.Game) {
        gfx::DrawShadowText(s_.font, 270, 232, 24, 16,
                            gfx::ToCp1251("Ваш результат: ") + std::to_string(p_.Game->Score), dst, gfx::kYellow);
      }
      DrawDialogText(dst, 230, 254, 24, 16, "Введите Ваше имя", gfx::kYellow);
      if (c.NameEdit) c.NameEdit->Draw(dst, ui);
      DrawGameStatus(dst);
      break;
    case screen::kSendConfirm:
      DrawDialogOver(dst, images.Screen(22));
      if (c.YesNoButtons) c.YesNoButtons->Draw(dst, ui);
      DrawDialogText(dst, 230, 252, 24, 16, "Отправить результат на", gfx::kYellow);
      DrawDialogText(dst, 246, 282, 24, 16, "страницу рекордов?", gfx::kYellow);
      // A game the server did not deal in time played on luck it cannot check: the entry will say so.
      if (p_.Game && !p_.Game->Dealt()) DrawDialogText(dst, 282, 308, 20, 12, "Результат без проверки", gfx::kRed);
      DrawGameStatus(dst);
      break;
    case screen::kQuitGameConfirm:
      DrawDialogOver(dst, &display_.Snapshot());
      DrawDialogText(dst, 250, 260, 32, 20, "Выйти из игры?", gfx::kYellow);
      if (c.YesNoButtons) c.YesNoButtons->Draw(dst, ui);
      break;
    case screen::kRetryConfirm:
      DrawDialogOver(dst, images.Screen(22));
      if (c.YesNoButtons) c.YesNoButtons->Draw(dst, ui);
      DrawDialogText(dst, 230, 252, 24, 16, "Невозможно подключиться", gfx::kRed);
      DrawDialogText(dst, 246, 282, 24, 16, "к серверу! Повторить?", gfx::kRed);
      break;
    case screen::kWait:
      DrawDialogOver(dst, images.Screen(22));
      DrawDialogText(dst, 290, 282, 24, 16, "Подождите...", gfx::kRed);
      DrawWaitSign(dst, s_.clock.TickCount());
      break;
    default:
      break;
  }
}

void MainForm::DrawHiScores(gfx::Surface& dst) {
  for (int r = 0; r < 10; ++r) {
    const int y = 244 + 23 * r;
    const gfx::Pixel colour = HiScoreRowColour(r);
    const store::THiScores& entry = p_.HiScores[static_cast<std::size_t>(r)];
    // The best row's bright green stands on the mid-tone band of the top row: only an outline makes it read.
    const auto draw = r == 0 ? gfx::DrawOutlinedText : gfx::DrawShadowText;
    draw(s_.font, 67, y, 24, 16, std::to_string(r + 1), dst, colour);
    draw(s_.font, 126, y, 24, 14, entry.Name, dst, colour);
    draw(s_.font, 410, y, 24, 16, std::to_string(entry.Score), dst, colour);
  }
}

}  // namespace gw::app
