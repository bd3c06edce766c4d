// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Typing on a touch screen: a page shows the device's keyboard only for a focused text field, and what that
// keyboard types reaches the page as the field's input, not as key presses. The page's field (page.js) is focused
// while the game edits a name or a country, and hands over what the game did not see as keys.

namespace gw::app {
struct Program;
}

namespace gw::platform::web {

// Whether the game is editing a text field now.
bool EditsText(const app::Program& program);

// Tells the page when that changes, so it can bring the device's keyboard up or put it away.
class TouchTyping {
 public:
  void AfterTurn(const app::Program& program);

 private:
  bool editing_ = false;
};

}  // namespace gw::platform::web
