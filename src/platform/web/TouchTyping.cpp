// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/web/TouchTyping.h"

#include <SDL.h>
#include <emscripten.h>

#include <cstring>

#include "app/Program.h"

namespace gw::platform::web {

namespace {

EM_JS(void, gw_editing_text, (int on), { Module.gwEditingText(!!on); });

// A key the game reads as typing nothing but `text`, as SDL queues it: the key, then its text.
void PushTyped(SDL_Scancode code, const char* text) {
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.state = SDL_PRESSED;
  key.key.keysym.scancode = code;
  key.key.keysym.sym = SDL_GetKeyFromScancode(code);
  SDL_PushEvent(&key);
  if (text != nullptr && *text != '\0') {
    SDL_Event typed{};
    typed.type = SDL_TEXTINPUT;
    std::strncpy(typed.text.text, text, sizeof typed.text.text - 1);
    SDL_PushEvent(&typed);
  }
  key.type = SDL_KEYUP;
  key.key.state = SDL_RELEASED;
  SDL_PushEvent(&key);
}

}  // namespace

bool EditsText(const app::Program& program) {
  if (program.ScreenState == app::screen::kNameEntry) return true;
  return program.ScreenState == app::screen::kOptions && program.Controls.OptionButtons &&
         program.Controls.OptionButtons->Edit.Editing;
}

void TouchTyping::AfterTurn(const app::Program& program) {
  const bool now = EditsText(program);
  if (now == editing_) return;
  editing_ = now;
  gw_editing_text(now ? 1 : 0);
}

}  // namespace gw::platform::web

// Called by the page with one character the device's keyboard typed (UTF-8), or with none for an erase.
extern "C" EMSCRIPTEN_KEEPALIVE void gw_touch_typed(const char* text) {
  if (text == nullptr || *text == '\0') {
    gw::platform::web::PushTyped(SDL_SCANCODE_BACKSPACE, nullptr);
  } else {
    gw::platform::web::PushTyped(SDL_SCANCODE_UNKNOWN, text);
  }
}
