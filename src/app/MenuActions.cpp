// SPDX-License-Identifier: GPL-3.0-or-later
// Carries out the choice confirmed in the current screen's control group.

#include "app/Form.h"
#include "net/ScoreProtocol.h"

namespace gw::app {

void MainForm::StartNewGame() {
  if (p_.Options.Music) s_.sound.PlaySong("1.xm");
  p_.ScreenState = screen::kInGame;
  s_.sound.PlayEffect(audio::kLevel);
  p_.Game.reset();
  p_.Game = std::make_unique<game::TGame>(GameHostFor());
  AskTicket();
}

void MainForm::DoMenuAction() {
  ui::Controls& c = p_.Controls;
  const std::int32_t state = p_.ScreenState;
  bool beep = true;
  switch (state) {
    case screen::kSplash:
      p_.ScreenState = screen::kMenu;
      return;
    case screen::kMenu:
      if (!c.MainMenu->Clicked) return;
      switch (c.MainMenu->ItemIndex) {
        case 0: StartNewGame(); break;
        case 1: p_.ScreenState = screen::kOptions; break;
        case 2: p_.ScreenState = screen::kHiScores; break;
        case 3: p_.ScreenState = screen::kHelpPage1; break;
        case 4: OpenIfExists("moregames.url"); break;
        default: p_.ScreenState = screen::kQuitConfirm; break;
      }
      break;
    case screen::kOptions: {
      // Every click on the options screen beeps, also one beside the controls.
      ui::TDDOptBtnCollection& o = *c.OptionButtons;
      if (!o.Clicked) break;
      switch (o.ItemIndex) {
        case 0: SetWindowed(true); break;
        case 1: SetWindowed(false); break;
        case 2:
          o.Rows[1].IsOn = true;
          p_.Options.Music = true;
          s_.sound.PlaySong("2.xm");
          break;
        case 3:
          o.Rows[1].IsOn = false;
          p_.Options.Music = false;
          s_.sound.StopSong();
          break;
        case 4:
          o.Rows[2].IsOn = true;
          SetSoundOn(true);
          break;
        case 5:
          o.Rows[2].IsOn = false;
          SetSoundOn(false);
          break;
        case 6:
          // Confirming takes the letter a controller shows, as it is seen.
          o.Edit.TakeLetter(Ui());
          o.Edit.Editing = !o.Edit.Editing;
          break;
        default: p_.ScreenState = screen::kMenu; break;
      }
      break;
    }
    case screen::kHiScores:
      if (!c.HiScoreButtons->Clicked) return;
      switch (c.HiScoreButtons->ItemIndex) {
        case 0:
          display_.Snapshot().CopyFrom(display_.BackBuffer());
          p_.ScreenState = screen::kClearConfirm;
          break;
        case 1:
          // Without a score server there is no page to open: the table screen says so instead.
          if (scoreServer_) {
            OpenLink(scoreServer_->Url(net::kRecordsPageQuery));
          } else {
            p_.NoOnlineRecordsAsked = true;
          }
          break;
        default: p_.ScreenState = screen::kMenu; break;
      }
      break;
    case screen::kHelpPage1:
    case screen::kHelpPage2:
    case screen::kHelpPage3:
    case screen::kHelpPage4:
    case screen::kHelpPage5: {
      if (!c.HelpButtons->Clicked) return;
      static constexpr std::int32_t kPages[] = {screen::kHelpPage1, screen::kHelpPage2, screen::kHelpPage3,
                                                screen::kHelpPage4, screen::kHelpPage5};
      int page = 0;
      while (kPages[page] != state) ++page;
      switch (c.HelpButtons->ItemIndex) {
        case 0:
          if (page == 0) return;  // no page before the first: silent
          p_.ScreenState = kPages[page - 1];
          break;
        case 1:
          if (page == 4) return;
          p_.ScreenState = kPages[page + 1];
          break;
        default: p_.ScreenState = screen::kMenu; break;
      }
      break;
    }
    case screen::kQuitConfirm:
      if (!c.YesNoButtons->Clicked) return;
      if (c.YesNoButtons->Choice) {
        p_.CloseAllowed = true;
        s_.window.Close();
        SaveOptions();
      } else {
        p_.ScreenState = screen::kMenu;
        p_.CloseAllowed = false;
      }
      break;
    case screen::kClearConfirm:
      if (!c.OkCancelButtons->Clicked) return;
      if (c.OkCancelButtons->Choice) store::ResetHiScores(p_.HiScores);
      p_.ScreenState = screen::kHiScores;
      break;
    case screen::kNameEntry:
      if (!c.OkCancelButtons->Clicked) return;
      if (c.OkCancelButtons->Choice) {
        c.NameEdit->TakeLetter(Ui());
        AddHiScore();
        // Nowhere to send it: straight to the table, as after "НЕТ", which says where the score stays.
        p_.ScreenState = scoreServer_ ? screen::kSendConfirm : screen::kHiScores;
        p_.ScoreKeptHereOnly = !scoreServer_;
      } else {
        p_.ScreenState = screen::kMenu;
      }
      break;
    case screen::kSendConfirm:
    case screen::kRetryConfirm:
      if (!c.YesNoButtons->Clicked) return;
      // Show the wait screen at once: the lowered tick opens the frame gate.
      p_.ScreenState = screen::kWait;
      LastFrameEndTick = s_.clock.TickCount() - 10;
      RunFrame();
      if (c.YesNoButtons->Choice) {
        SubmitScore();
      } else {
        p_.ScreenState = screen::kHiScores;
      }
      break;
    case screen::kQuitGameConfirm:
      if (!c.YesNoButtons->Clicked) return;
      if (c.YesNoButtons->Choice && p_.Game) p_.Game->Quit();
      p_.ScreenState = screen::kInGame;
      s_.window.ShowCursor(false);
      break;
    default:
      beep = false;
      break;
  }
  if (beep) s_.sound.PlayEffect(audio::kBeep);
}

}  // namespace gw::app
