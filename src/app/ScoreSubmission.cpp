// SPDX-License-Identifier: GPL-3.0-or-later
// Sending a new high score to the score server while the wait screen stands.

#include <chrono>
#include <exception>
#include <future>

#include "app/Form.h"
#include "game/Recording.h"
#include "net/ScoreExchange.h"

namespace gw::app {

namespace {

// A browser page has no threads, and its C++ library's async would wait for one for ever: there the exchange runs
// in place once the wait screen is up, and the page's own loop keeps the window alive instead.
#if defined(__EMSCRIPTEN__)
constexpr std::launch kExchangeLaunch = std::launch::deferred;
#else
constexpr std::launch kExchangeLaunch = std::launch::async;
#endif

// How long the window waits for a message before the exchange is checked again.
constexpr std::uint32_t kBusyPollMs = 10;

// The game's recording in its stored form, or nothing when there is none worth sending.
std::string StoredRecording(const game::Recording& recording) {
  try {
    const std::vector<std::uint8_t> stored = game::EncodeRecording(recording);
    if (stored.size() <= game::kMaxRecordingBytes) return std::string(stored.begin(), stored.end());
  } catch (const game::RecordingError&) {
    // Not sent: the score goes unverified.
  }
  return {};
}

}  // namespace

void MainForm::SubmitScore() {
  net::ScoreRecord record;
  record.name = p_.Controls.NameEdit ? p_.Controls.NameEdit->Text : std::string();
  record.score = p_.Game ? p_.Game->Score : 0;
  record.key = GW_SCORE_KEY[0];
  record.country = p_.Options.Country;

  // Only a game the server dealt can be verified there; it knows the seed, so the recording does not carry it.
  game::Recording recording;
  if (p_.Game && p_.Game->Dealt() && !p_.Game->Recorded().Overflowed()) {
    recording = p_.Game->TakeRecording();
    recording.seed.reset();
  }

  // The transfer runs on a worker so the window stays alive; the game itself stands still meanwhile.
  auto exchange = std::async(kExchangeLaunch, [this, record, recording = std::move(recording)]() {
    try {
      if (!http_) http_ = std::make_unique<net::HttpClient>();
      if (pendingReplay_ && net::SendReplay(*http_, *pendingReplay_)) pendingReplay_.reset();
      const std::string stored = recording.frames > 0 ? StoredRecording(recording) : std::string();
      std::optional<net::PendingReplay> busy;
      const net::ExchangeResult result = net::ExchangeScore(*http_, scoreServer_.value(), record, stored, &busy);
      // One kept at a time: the newer game is the one the player is waiting to see.
      if (busy) pendingReplay_ = std::move(busy);
      return result;
    } catch (const std::exception&) {
      return net::ExchangeResult::Unreachable;
    }
  });
  bool closeAsked = false;
  do {
    RunFrame();  // the wait screen again, unchanged
    closeAsked = s_.window.PumpWhileBusy(kBusyPollMs) || closeAsked;
  } while (exchange.wait_for(std::chrono::seconds(0)) == std::future_status::timeout);

  p_.ScreenState =
      exchange.get() == net::ExchangeResult::Unreachable ? screen::kRetryConfirm : screen::kHiScores;
  // A close request during the wait is answered now, on the screen the exchange led to.
  if (closeAsked) s_.window.Close();
}

}  // namespace gw::app
