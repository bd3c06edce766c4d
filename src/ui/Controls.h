// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The six control groups of the menu screens and the name field, made once with the first pictures and
// kept (with their state) across every reload.

#include <memory>

#include "ui/BtnCollection.h"
#include "ui/Edit.h"
#include "ui/OptBtnCollection.h"
#include "ui/TextBtnCollection.h"

namespace gw::ui {

struct Controls {
  std::unique_ptr<TDDBtnCollection> MainMenu;
  std::unique_ptr<TDDBtnCollection> HiScoreButtons;
  std::unique_ptr<TDDBtnCollection> HelpButtons;
  std::unique_ptr<TDDOptBtnCollection> OptionButtons;
  std::unique_ptr<TDDTextBtnCollection> YesNoButtons;
  std::unique_ptr<TDDTextBtnCollection> OkCancelButtons;
  std::unique_ptr<TDDEdit> NameEdit;

  // Creates, in their order, those that do not exist yet.
  void CreateMissing(const UiContext& ui);
  void ReleaseAll();
  // Every group's Clicked from the last mouse position, in the order a mouse press asks them.
  void HitTestAll(const UiContext& ui);
};

}  // namespace gw::ui
