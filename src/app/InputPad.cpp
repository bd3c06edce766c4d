// SPDX-License-Identifier: GPL-3.0-or-later
// Game controllers: each press becomes the key the current screen gives the same meaning, so the rules and
// the keyboard stay as they are. In a text field the directions choose letters instead.

#include "app/Form.h"

namespace gw::app {

namespace {

using platform::PadButton;
using namespace platform::vk;

std::uint16_t ArrowKey(PadButton direction) {
  switch (direction) {
    case PadButton::Up: return kUp;
    case PadButton::Down: return kDown;
    case PadButton::Left: return kLeft;
    default: return kRight;
  }
}

}  // namespace

void MainForm::FormPadButton(platform::PadId pad, PadButton button, bool down) {
  if (PadDirections::IsDirection(button)) {
    if (const auto pressed = padDirections_.Button(pad, button, down, s_.clock.TickCount())) PadPress(pad, *pressed);
  } else if (down) {
    PadPress(pad, button);
  }
}

void MainForm::FormPadAxis(platform::PadId pad, platform::PadAxis axis, std::int16_t value) {
  if (const auto pressed = padDirections_.Axis(pad, axis, value, s_.clock.TickCount())) PadPress(pad, *pressed);
}

void MainForm::PollPads() {
  for (const auto& [pad, direction] : padDirections_.Repeats(s_.clock.TickCount())) PadPress(pad, direction);
}

void MainForm::FormPadRemoved(platform::PadId pad) {
  padDirections_.Forget(pad);
  if (lastPad_ != pad) return;
  lastPad_.reset();
  // The player's own controller went away mid-game: pause, so the level is not lost to an unplugged cable.
  if (p_.ScreenState == screen::kInGame) FormKeyDown(Letter('P'), false);
}

void MainForm::PadPress(platform::PadId pad, PadButton button) {
  ui::Controls& c = p_.Controls;
  const std::int32_t state = p_.ScreenState;
  // A field being typed into, where the directions choose letters.
  ui::TDDEdit* field = nullptr;
  if (state == screen::kNameEntry) field = c.NameEdit.get();
  if (ui::TDDOptBtnCollection* o = c.OptionButtons.get();
      state == screen::kOptions && o && o->ItemIndex == ui::TDDOptBtnCollection::kFieldItem && o->Edit.Editing) {
    field = &o->Edit;
  }
  std::optional<std::uint16_t> key;
  if (field) {
    const ui::UiContext ui = Ui();
    switch (button) {
      case PadButton::Up: field->TurnLetter(+1, ui); break;
      case PadButton::Down: field->TurnLetter(-1, ui); break;
      case PadButton::Right:
      case PadButton::A: field->TakeLetter(ui); break;
      case PadButton::Left:
      case PadButton::B: field->AddKey(ui::TDDEdit::kDeleteCode, ui); break;
      case PadButton::Start: key = kReturn; break;  // confirming takes the letter shown
      case PadButton::Back: key = kEscape; break;
    }
  } else if (state == screen::kInGame || state == screen::kPause) {
    switch (button) {
      case PadButton::A: key = kReturn; break;
      case PadButton::Start: key = Letter('P'); break;
      case PadButton::Back: key = kEscape; break;
      // B sits beside the fire button: in play it asks nothing, so a slipped thumb cannot open the quit question.
      case PadButton::B:
        if (state == screen::kPause) key = kEscape;
        break;
      default: break;
    }
  } else {
    switch (button) {
      case PadButton::A:
      case PadButton::Start: key = kReturn; break;
      case PadButton::B:
      case PadButton::Back: key = kEscape; break;
      default: key = ArrowKey(button); break;
    }
  }
  if (key) FormKeyDown(*key, false);
  lastPad_ = pad;
}

}  // namespace gw::app
