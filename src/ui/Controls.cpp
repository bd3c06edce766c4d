// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Controls.h"

#include <array>

#include "gfx/Cp1251.h"

namespace gw::ui {

namespace {

constexpr gfx::Rect kBackBounds{31, 560, 160, 588};
constexpr std::uint8_t kBackImage = 14;

constexpr std::array<ButtonSpec, 6> kMainMenu = {{
    {{199, 156, 590, 195}, 1}, {{199, 197, 422, 234}, 2}, {{199, 240, 470, 275}, 3},
    {{199, 284, 460, 320}, 4}, {{199, 328, 630, 360}, 5}, {{199, 372, 420, 406}, 6},
}};
constexpr std::array<ButtonSpec, 3> kHiScoreButtons = {{
    {{247, 496, 570, 520}, 11}, {{64, 528, 570, 552}, 12}, {kBackBounds, kBackImage},
}};
constexpr std::array<ButtonSpec, 3> kHelpButtons = {{
    {{114, 492, 332, 522}, 15}, {{376, 492, 568, 522}, 16}, {kBackBounds, kBackImage},
}};
constexpr std::array<gfx::Rect, 7> kOptionRects = {{
    {195, 238, 344, 266}, {352, 238, 564, 266},
    {197, 301, 257, 323}, {265, 301, 340, 323},
    {197, 361, 257, 383}, {265, 361, 340, 383},
    kBackBounds,
}};
constexpr std::array<std::uint8_t, 7> kOptionImages = {9, 17, 8, 18, 8, 18, kBackImage};

}  // namespace

void Controls::CreateMissing(const UiContext& ui) {
  if (!MainMenu) MainMenu = std::make_unique<TDDBtnCollection>(kMainMenu, ui);
  if (!HiScoreButtons) HiScoreButtons = std::make_unique<TDDBtnCollection>(kHiScoreButtons, ui);
  if (!HelpButtons) HelpButtons = std::make_unique<TDDBtnCollection>(kHelpButtons, ui);
  if (!OptionButtons) OptionButtons = std::make_unique<TDDOptBtnCollection>(kOptionRects, kOptionImages);
  if (!YesNoButtons) {
    YesNoButtons = std::make_unique<TDDTextBtnCollection>(gfx::Rect{280, 340, 340, 370}, gfx::Rect{460, 340, 500, 370},
                                                          gfx::ToCp1251("ДА"), gfx::ToCp1251("НЕТ"));
    YesNoButtons->FitToCaptions(ui.font);
  }
  if (!OkCancelButtons) {
    OkCancelButtons = std::make_unique<TDDTextBtnCollection>(
        gfx::Rect{280, 340, 320, 370}, gfx::Rect{420, 340, 540, 370}, gfx::ToCp1251("OK"), gfx::ToCp1251("ОТМЕНА"));
    OkCancelButtons->FitToCaptions(ui.font);
  }
  if (!NameEdit) {
    NameEdit = std::make_unique<TDDEdit>();
    NameEdit->Bounds = {236, 280, 564, 314};
    // The name field's ground is navy: a lighter green reads there.
    NameEdit->TextColour = gfx::Rgb(0, 224, 0);
    NameEdit->Selected = true;
    NameEdit->Editing = true;
  }
}

void Controls::ReleaseAll() {
  MainMenu.reset();
  HiScoreButtons.reset();
  HelpButtons.reset();
  OptionButtons.reset();
  YesNoButtons.reset();
  OkCancelButtons.reset();
  NameEdit.reset();
}

void Controls::HitTestAll(const UiContext& ui) {
  if (MainMenu) MainMenu->HitTest(ui);
  if (HiScoreButtons) HiScoreButtons->HitTest(ui);
  if (HelpButtons) HelpButtons->HitTest(ui);
  if (OptionButtons) OptionButtons->HitTest(ui);
  if (YesNoButtons) YesNoButtons->HitTest(ui);
  if (OkCancelButtons) OkCancelButtons->HitTest(ui);
}

}  // namespace gw::ui
