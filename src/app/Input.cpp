// SPDX-License-Identifier: GPL-3.0-or-later
// Keys and the mouse, interpreted by the current screen.

#include "app/Form.h"

namespace gw::app {

namespace {

using namespace platform::vk;

bool IsConfirm(std::uint16_t key) { return key == kReturn || key == kSpace; }
bool IsLetter(std::uint16_t key) { return key >= Letter('A') && key <= Letter('Z'); }

// The key as the text fields take it: its Latin letter, or what a US keyboard has on the punctuation keys that
// carry Russian letters; 0 for any other key.
char FieldKey(std::uint16_t key) {
  if (IsLetter(key)) return static_cast<char>(key);
  switch (key) {
    case kSemicolon: return ';';
    case kComma: return ',';
    case kPeriod: return '.';
    case kGrave: return '`';
    case kLeftBracket: return '[';
    case kRightBracket: return ']';
    case kApostrophe: return '\'';
    default: return 0;
  }
}

// One key press into a text field: the letter the player's layout typed when it is a Russian one (any layout
// with Russian letters types them as they are), else the letter the key carries on a Russian keyboard.
void Type(ui::TDDEdit& field, std::uint16_t key, std::string_view typed, const ui::UiContext& ui) {
  const char letter = ui::TDDEdit::TypedLetter(typed);
  if (letter != 0) {
    field.AddLetter(letter, ui);
  } else if (const char k = FieldKey(key); k != 0) {
    field.AddKey(k, ui);
  }
}
constexpr std::uint32_t kAltStallMs = 150;

}  // namespace

void MainForm::OpenNameEntry() {
  // The pair is shared with the clear question and keeps its last answer: a name confirmed with Enter after a
  // cancelled clear would otherwise throw the new high score away.
  if (p_.Controls.OkCancelButtons) p_.Controls.OkCancelButtons->Choice = true;
  if (p_.Controls.NameEdit) p_.Controls.NameEdit->DropLetter();
}

void MainForm::FormMouseMove(int x, int y) {
  p_.Mouse.active = true;
  if (!Ready) return;
  if (p_.Controls.OptionButtons) p_.Controls.OptionButtons->FollowMouse = true;
  p_.Mouse.x = x;
  p_.Mouse.y = y;
}

void MainForm::FormMouseDown() {
  lastPad_.reset();
  if (p_.ScreenState != screen::kInGame) {
    p_.Controls.HitTestAll(Ui());
    DoMenuAction();
  }
  // The same click may resume the game from its quit question and fire at once.
  if (p_.ScreenState == screen::kInGame && p_.Game && !p_.Game->Up.TongueOut && p_.Game->Phase == game::Playing) {
    p_.Game->Fire();
  }
}

void MainForm::FormKeyDown(std::uint16_t key, bool alt, std::string_view typed) {
  lastPad_.reset();
  if (alt) {
    s_.clock.Sleep(kAltStallMs);
    if (key == kReturn && p_.Controls.OptionButtons) SetWindowed(!p_.Controls.OptionButtons->Rows[0].IsOn);
    s_.clock.Sleep(kAltStallMs);
    // Alt+Enter is the display switch and nothing more: it must not also answer the question on screen
    // (on the clear question that would empty the table).
    if (key == kReturn) return;
  }
  const ui::UiContext ui = Ui();
  ui::Controls& c = p_.Controls;
  // Moves, confirms and leaves a push-button screen.
  auto buttonScreen = [&](ui::TDDBtnCollection& group) {
    if (key == kUp || key == kLeft) {
      group.Prev(ui);
    } else if (key == kDown || key == kRight) {
      group.Next(ui);
    } else if (IsConfirm(key)) {
      group.Clicked = true;
      DoMenuAction();
    }
  };
  switch (p_.ScreenState) {
    case screen::kSplash:
      p_.ScreenState = screen::kMenu;
      break;
    case screen::kMenu:
      if (key == kEscape) {
        s_.window.Close();
      } else {
        buttonScreen(*c.MainMenu);
      }
      break;
    case screen::kInGame:
      if (!p_.Game) break;
      if (key == kControl || IsConfirm(key)) {
        if (!p_.Game->Up.TongueOut) p_.Game->Fire();
      } else if (key == Letter('P') || key == kF1) {
        display_.Snapshot().CopyFrom(display_.BackBuffer());
        p_.ScreenState = screen::kPause;
      } else if (key == kEscape && p_.Game->Phase == game::Playing) {
        p_.ScreenState = screen::kQuitGameConfirm;
        s_.window.ShowCursor(true);
        display_.Snapshot().CopyFrom(display_.BackBuffer());
      }
      break;
    case screen::kOptions: {
      ui::TDDOptBtnCollection& o = *c.OptionButtons;
      if (key == kUp) {
        o.NextRow(ui);
      } else if (key == kDown) {
        o.PrevRow(ui);
      } else if ((key == kRight || key == kLeft) && o.ItemIndex >= 0 && o.ItemIndex <= 5) {
        o.Clicked = true;
        o.ItemIndex = static_cast<std::int8_t>(o.ItemIndex / 2 * 2 + (key == kRight ? 1 : 0));
        DoMenuAction();
      } else if (IsConfirm(key)) {
        o.ToggleCurrent();
        DoMenuAction();
      } else if (key == kBack) {
        o.Edit.AddKey(ui::TDDEdit::kDeleteCode, ui);
      } else if (key == kEscape) {
        o.Clicked = true;
        o.ItemIndex = ui::TDDOptBtnCollection::kBackItem;
        DoMenuAction();
      } else {
        Type(o.Edit, key, typed, ui);
      }
      break;
    }
    case screen::kHiScores:
      if (key == kEscape) {
        p_.ScreenState = screen::kMenu;
      } else {
        buttonScreen(*c.HiScoreButtons);
      }
      break;
    case screen::kHelpPage1:
    case screen::kHelpPage2:
    case screen::kHelpPage3:
    case screen::kHelpPage4:
    case screen::kHelpPage5:
      if (key == kEscape) {
        p_.ScreenState = screen::kMenu;
      } else {
        buttonScreen(*c.HelpButtons);
      }
      break;
    case screen::kQuitConfirm:
    case screen::kSendConfirm:
    case screen::kRetryConfirm:
    case screen::kQuitGameConfirm: {
      const bool inGame = p_.ScreenState == screen::kQuitGameConfirm;
      if (key == kLeft) {
        c.YesNoButtons->SetChoice(true, ui);
      } else if (key == kRight) {
        c.YesNoButtons->SetChoice(false, ui);
      } else if (IsConfirm(key) || key == Letter('Y')) {
        c.YesNoButtons->Clicked = true;
        DoMenuAction();
      } else if (key == kEscape || key == Letter('N')) {
        p_.ScreenState = inGame ? screen::kInGame : screen::kMenu;
        if (inGame) s_.window.ShowCursor(false);
      }
      break;
    }
    case screen::kClearConfirm:
    case screen::kNameEntry: {
      const bool naming = p_.ScreenState == screen::kNameEntry;
      if (key == kLeft) {
        c.OkCancelButtons->SetChoice(true, ui);
      } else if (key == kRight) {
        c.OkCancelButtons->SetChoice(false, ui);
      } else if (IsConfirm(key)) {
        c.OkCancelButtons->Clicked = true;
        DoMenuAction();
      } else if (key == kEscape) {
        p_.ScreenState = naming ? screen::kMenu : screen::kHiScores;
      } else if (naming && key == kBack) {
        // Backspace also mends a typing slip in the name.
        c.NameEdit->AddKey(ui::TDDEdit::kDeleteCode, ui);
      } else if (naming) {
        Type(*c.NameEdit, key, typed, ui);
      }
      break;
    }
    case screen::kPause:
      if (key == Letter('P') || key == kF1 || key == kEscape) p_.ScreenState = screen::kInGame;
      break;
    default:
      break;
  }
}

}  // namespace gw::app
