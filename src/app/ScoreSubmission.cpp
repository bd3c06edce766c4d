// SPDX-License-Identifier: GPL-3.0-or-later
// Sending a new high score to the score server while the wait screen stands.

#include <chrono>
#include <exception>
#include <future>

#include "app/Form.h"
#include "net/ScoreExchange.h"

namespace gw::app {

namespace {

// How long the window waits for a message before the exchange is checked again.
constexpr std::uint32_t kBusyPollMs = 10;

}  // namespace

void MainForm::SubmitScore() {
  net::ScoreRecord record;
  record.name = p_.Controls.NameEdit ? p_.Controls.NameEdit->Text : std::string();
  record.score = p_.Game ? p_.Game->Score : 0;
  record.key = GW_SCORE_KEY[0];
  record.country = p_.Options.Country;

  // The transfer runs on a worker so the window stays alive; the game itself stands still meanwhile.
  auto exchange = std::async(std::launch::async, [this, record]() {
    try {
      if (!http_) http_ = std::make_unique<net::HttpClient>();
      return net::ExchangeScore(*http_, scoreServer_.value(), record);
    } catch (const std::exception&) {
      return net::ExchangeResult::Unreachable;
    }
  });
  bool closeAsked = false;
  do {
    RunFrame();  // the wait screen again, unchanged
    closeAsked = s_.window.PumpWhileBusy(kBusyPollMs) || closeAsked;
  } while (exchange.wait_for(std::chrono::seconds(0)) != std::future_status::ready);

  p_.ScreenState =
      exchange.get() == net::ExchangeResult::Unreachable ? screen::kRetryConfirm : screen::kHiScores;
  // A close request during the wait is answered now, on the screen the exchange led to.
  if (closeAsked) s_.window.Close();
}

}  // namespace gw::app
