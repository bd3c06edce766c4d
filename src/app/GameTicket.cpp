// SPDX-License-Identifier: GPL-3.0-or-later
// A new game's ticket from the score server: asked for in the background while the level's opening screen stands,
// so the player never waits for it; a game it does not reach before its first draw plays on its own luck.

#include "app/Form.h"
#include "net/GameTicket.h"
#include "net/ScoreProtocol.h"

namespace gw::app {

void MainForm::AskTicket() {
  if (!scoreServer_) return;
  try {
    if (!http_) http_ = std::make_unique<net::HttpClient>();
    // Still on its way from the last game: this game may take that one.
    if (ticketAsked_) return;
    http_->StartGet(scoreServer_->Url(net::kTicketQuery));
    ticketAsked_ = true;
  } catch (const net::HttpError&) {
    ticketAsked_ = false;
  }
}

void MainForm::DealTicket() {
  if (!ticketAsked_ || !http_->Finished()) return;
  ticketAsked_ = false;
  try {
    const std::optional<game::Ticket> ticket = net::ParseTicketAnswer(http_->Answer());
    if (ticket && p_.Game) p_.Game->Deal(*ticket);
  } catch (const net::HttpError&) {
    // No ticket: the game plays on its own luck, and its score goes unverified.
  }
}

}  // namespace gw::app
